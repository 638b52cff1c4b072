#include "FontChooser.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "QtText.h"

namespace {

QListWidgetItem* FindItem(QListWidget* list, const QString& text) {
  const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchFixedString);
  return found.isEmpty() ? nullptr : found.front();
}

}  // namespace

FontChooser::FontChooser(const FontDesc& initial, int maxSize, QWidget* parent)
    : QDialog(parent), initial_(initial), maxSize_(std::max(maxSize, 1)), colour_(initial.color) {
  setWindowTitle(QStringLiteral("Schrift"));
  families_ = new QListWidget(this);
  for (const QString& family : QFontDatabase::families(QFontDatabase::Latin))
    if (!QFontDatabase::isPrivateFamily(family)) families_->addItem(family);
  sizes_ = new QListWidget(this);
  sizes_->setMaximumWidth(70);
  bold_ = new QCheckBox(QStringLiteral("&Fett"), this);
  italic_ = new QCheckBox(QStringLiteral("&Kursiv"), this);
  auto* effects = new QGroupBox(QStringLiteral("Effekte"), this);
  underline_ = new QCheckBox(QStringLiteral("&Unterstrichen"), effects);
  strikeOut_ = new QCheckBox(QStringLiteral("&Durchgestrichen"), effects);
  colourButton_ = new QPushButton(QStringLiteral("Farbe ..."), effects);
  auto* effectsLayout = new QVBoxLayout(effects);
  effectsLayout->addWidget(underline_);
  effectsLayout->addWidget(strikeOut_);
  effectsLayout->addWidget(colourButton_);
  sample_ = new QLabel(QStringLiteral("AaBbÇçëïœ"), this);
  sample_->setMinimumHeight(40);
  sample_->setFrameShape(QFrame::StyledPanel);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Schriftart:"), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Größe:"), this), 0, 1);
  grid->addWidget(families_, 1, 0, 3, 1);
  grid->addWidget(sizes_, 1, 1, 3, 1);
  grid->addWidget(bold_, 1, 2);
  grid->addWidget(italic_, 2, 2);
  grid->addWidget(effects, 3, 2);
  grid->addWidget(sample_, 4, 0, 1, 3);
  grid->addWidget(buttons, 5, 0, 1, 3);

  QListWidgetItem* family = FindItem(families_, ToQ(initial.name));
  families_->setCurrentItem(family ? family : families_->item(0));
  bold_->setChecked(initial.style & FontStyle::Bold);
  italic_->setChecked(initial.style & FontStyle::Italic);
  underline_->setChecked(initial.style & FontStyle::Underline);
  strikeOut_->setChecked(initial.style & FontStyle::StrikeOut);
  FillSizes();
  PaintColour();
  ShowSample();

  connect(families_, &QListWidget::currentRowChanged, this, [this] {
    FillSizes();
    ShowSample();
  });
  connect(sizes_, &QListWidget::currentRowChanged, this, [this] { ShowSample(); });
  for (QCheckBox* box : {bold_, italic_, underline_, strikeOut_})
    connect(box, &QCheckBox::toggled, this, [this] { ShowSample(); });
  connect(colourButton_, &QPushButton::clicked, this, [this] {
    const QColor chosen = QColorDialog::getColor(ToQColor(colour_), this);
    if (!chosen.isValid()) return;
    colour_ = FromQColor(chosen);
    PaintColour();
    ShowSample();
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

// The sizes the family offers, up to the largest allowed; scalable families offer the
// usual steps. The size shown stays, or becomes the nearest allowed one.
void FontChooser::FillSizes() {
  const int shown = sizes_->currentItem() ? sizes_->currentItem()->text().toInt() : initial_.size;
  const QString family = families_->currentItem() ? families_->currentItem()->text() : QString();
  QList<int> offered = QFontDatabase::pointSizes(family);
  if (offered.isEmpty() || QFontDatabase::isSmoothlyScalable(family)) offered = QFontDatabase::standardSizes();
  sizes_->clear();
  int best = -1;
  for (int size : offered) {
    if (size < 1 || size > maxSize_) continue;
    sizes_->addItem(QString::number(size));
    if (best < 0 || std::abs(size - shown) <= std::abs(sizes_->item(best)->text().toInt() - shown))
      best = sizes_->count() - 1;
  }
  if (best >= 0) sizes_->setCurrentRow(best);
}

void FontChooser::PaintColour() {
  QPixmap swatch(16, 16);
  swatch.fill(ToQColor(colour_));
  colourButton_->setIcon(QIcon(swatch));
}

void FontChooser::ShowSample() {
  const FontDesc chosen = Chosen();
  QFont font(ToQ(chosen.name));
  font.setPointSize(chosen.size);
  font.setBold(chosen.style & FontStyle::Bold);
  font.setItalic(chosen.style & FontStyle::Italic);
  font.setUnderline(chosen.style & FontStyle::Underline);
  font.setStrikeOut(chosen.style & FontStyle::StrikeOut);
  sample_->setFont(font);
  QPalette palette = sample_->palette();
  palette.setColor(QPalette::WindowText, ToQColor(colour_));
  sample_->setPalette(palette);
}

FontDesc FontChooser::Chosen() const {
  FontDesc out = initial_;
  out.color = colour_;
  if (families_->currentItem()) out.name = FromQ(families_->currentItem()->text());
  if (sizes_->currentItem()) out.size = sizes_->currentItem()->text().toInt();
  out.size = std::clamp(out.size, 1, maxSize_);
  out.height = -static_cast<int>(std::lround(out.size * 96.0 / 72.0));
  out.pitch = QFontDatabase::isFixedPitch(ToQ(out.name)) ? 2 : 0;
  out.style = (bold_->isChecked() ? FontStyle::Bold : 0) | (italic_->isChecked() ? FontStyle::Italic : 0) |
              (underline_->isChecked() ? FontStyle::Underline : 0) |
              (strikeOut_->isChecked() ? FontStyle::StrikeOut : 0);
  return out;
}
