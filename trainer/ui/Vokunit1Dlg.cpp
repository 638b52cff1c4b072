#include "Vokunit1Dlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QValidator>
#include <QVBoxLayout>
#include <functional>

#include "QtText.h"
#include "Win1252.h"

namespace {

// Keeps a field's text to its rule as the user types or pastes: characters the rule refuses
// are dropped, the rest shown as the field stores them.
class FieldRuleValidator : public QValidator {
 public:
  FieldRuleValidator(std::function<std::string(const std::string&)> rule, QObject* parent)
      : QValidator(parent), rule_(std::move(rule)) {}

  State validate(QString& input, int& pos) const override {
    std::string ansi;
    for (const QChar c : input) {
      const int code = win1252::FromCodePoint(c.unicode());
      if (code > 0) ansi.push_back(static_cast<char>(code));
    }
    const QString kept = ToQ(rule_(ansi));
    if (kept != input) {
      pos = std::min<int>(pos, static_cast<int>(kept.size()));
      input = kept;
    }
    return Acceptable;
  }

 private:
  std::function<std::string(const std::string&)> rule_;
};

QSpinBox* NumberField(int min, int max, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(min, max);
  spin->setValue(min);
  return spin;
}

}  // namespace

Tvokdlg1::Tvokdlg1(Dialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("Eingabe der Lerneinheit"));
  setModal(true);

  Label1 = new QLabel(QStringLiteral("Titel"), this);
  Edit1 = new QLineEdit(this);
  Edit1->setMaxLength(static_cast<int>(LessonFields::kTitleMax));
  Edit1->setValidator(new FieldRuleValidator(TitleFieldText, Edit1));
  Label2 = new QLabel(QStringLiteral("Klasse"), this);
  SpinEdit1 = NumberField(LessonFields::kClassMin, LessonFields::kClassMax, this);
  Label3 = new QLabel(QStringLiteral("Lektion"), this);
  SpinEdit2 = NumberField(LessonFields::kLessonMin, LessonFields::kLessonMax, this);
  Label4 = new QLabel(QStringLiteral("Zusatz"), this);
  Edit2 = new QLineEdit(this);
  Edit2->setMaxLength(static_cast<int>(LessonFields::kSuffixMax));
  Edit2->setValidator(new FieldRuleValidator(SuffixFieldText, Edit2));

  OkBtn = new QPushButton(QStringLiteral("OK"), this);
  OkBtn->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("Abbrechen"), this);
  connect(OkBtn, &QPushButton::clicked, this, &Tvokdlg1::OkBtnClick);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

  auto* fields = new QFormLayout;
  fields->addRow(Label1, Edit1);
  fields->addRow(Label2, SpinEdit1);
  fields->addRow(Label3, SpinEdit2);
  fields->addRow(Label4, Edit2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkBtn);
  buttons->addWidget(BitBtn2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);
}

LessonFields Tvokdlg1::Fields() const {
  LessonFields f;
  f.title = TitleFieldText(FromQ(Edit1->text()));
  f.schoolClass = SpinEdit1->value();
  f.lesson = SpinEdit2->value();
  f.suffix = SuffixFieldText(FromQ(Edit2->text()));
  return f;
}

std::optional<std::string> Tvokdlg1::Ask() {
  state_.Shown();
  Edit1->setFocus();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return state_.Code();
}

void Tvokdlg1::OkBtnClick() {
  state_.fields = Fields();
  state_.PressOk();
  accept();
}

void Tvokdlg1::done(int result) {
  if (!state_.CanClose(dialogs_)) return;
  QDialog::done(result);
}
