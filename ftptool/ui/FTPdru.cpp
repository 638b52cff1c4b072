#include "FTPdru.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtText.h"
#include "Win1252.h"

namespace {

// A password field that shows "#" for every character typed.
QLineEdit* PasswordField(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setEchoMode(QLineEdit::Password);
  edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 35; }"));
  return edit;
}

QLabel* WrappedLabel(const std::string& text, QWidget* parent) {
  auto* label = new QLabel(ToQ(text), parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

TDruDlg::TDruDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Druck-Dialog"));
  setModal(true);

  Label1 = WrappedLabel(A("Falls das Passwort entschlüsselt ausgegeben werden soll, muss es hier "
                          "wiederholt werden. Ansonsten OK drücken."),
                        this);
  PassEdit = PasswordField(this);
  Label1->setBuddy(PassEdit);
  Label2 = WrappedLabel(A("Falls das Proxy-Passwort entschlüsselt ausgegeben werden soll, muss es "
                          "hier wiederholt werden. Ansonsten OK drücken."),
                        this);
  PassEditP = PasswordField(this);
  Label2->setBuddy(PassEditP);

  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(QStringLiteral("Abbrechen"), this);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Label1);
  layout->addWidget(PassEdit);
  layout->addSpacing(8);
  layout->addWidget(Label2);
  layout->addWidget(PassEditP);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  setMinimumWidth(420);
}

void TDruDlg::showEvent(QShowEvent* event) {
  PassEdit->clear();
  PassEditP->clear();
  PassEdit->setFocus();
  QDialog::showEvent(event);
}

std::optional<RepeatedPasswords> TDruDlg::Ask() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return RepeatedPasswords{FromQ(PassEdit->text()), FromQ(PassEditP->text())};
}
