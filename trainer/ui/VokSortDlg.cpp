#include "VokSortDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QGroupBox* RadioGroup(const QString& title, QRadioButton* a, QRadioButton* b, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(a);
  layout->addWidget(b);
  return box;
}

}  // namespace

TSortDlg::TSortDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Sortieren"));
  setModal(true);

  SortBtn1 = new QRadioButton(QStringLiteral("alphabetisch"));
  SortBtn2 = new QRadioButton(QStringLiteral("nach Lektionen, dann alphabetisch"));
  SortBtn3 = new QRadioButton(QStringLiteral("1. Spalte sortieren"));
  SortBtn4 = new QRadioButton(QStringLiteral("2. Spalte sortieren"));
  SortBtn5 = new QRadioButton(QStringLiteral("markierten Bereich sortieren"));
  SortBtn6 = new QRadioButton(QStringLiteral("gesamte Liste sortieren"));
  SortBtn2->setChecked(true);
  SortBtn3->setChecked(true);
  SortBtn6->setChecked(true);

  GroupBox3 = RadioGroup(QStringLiteral("Art der Sortierung"), SortBtn1, SortBtn2, this);
  GroupBox2 = RadioGroup(QStringLiteral("Spalten"), SortBtn3, SortBtn4, this);
  GroupBox1 = RadioGroup(QStringLiteral("Bereich"), SortBtn5, SortBtn6, this);

  Label1 = new QLabel(QStringLiteral("Achtung! Beim Sortieren geht die momentane Reihenfolge "
                                     "verloren! Eventuell vorher speichern."),
                      this);
  Label1->setWordWrap(true);

  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("Abbrechen"), this);
  connect(BitBtn1, &QPushButton::clicked, this, [this] {
    chosen_ = Options();
    accept();
  });
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox3);
  layout->addWidget(GroupBox2);
  layout->addWidget(GroupBox1);
  layout->addWidget(Label1);
  layout->addLayout(buttons);
}

SortOptions TSortDlg::Options() const {
  SortOptions o;
  o.kind = SortBtn1->isChecked() ? SortKind::Alphabetic : SortKind::ByLesson;
  o.column = SortBtn4->isChecked() ? 2 : 1;
  o.range = SortBtn5->isChecked() ? SortRange::Marked : SortRange::Whole;
  return o;
}

void TSortDlg::CentreOnScreen() {
  adjustSize();
  QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
  if (!screen) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

std::optional<SortOptions> TSortDlg::Ask() {
  CentreOnScreen();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return chosen_;
}
