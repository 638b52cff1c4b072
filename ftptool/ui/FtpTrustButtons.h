// The buttons of every "do you trust this server?" question of the tool (a TLS certificate, an
// SSH host key): "Ja" once, "Immer vertrauen", "Nein" as the default and the Escape answer.
#pragma once

#include <QMessageBox>
#include <QPushButton>

enum class FtpTrustAnswer { Once, Always, No };

// Adds the three buttons to the box, runs it and returns the one chosen.
inline FtpTrustAnswer AskTrustWithButtons(QMessageBox& box) {
  QPushButton* once = box.addButton("Ja", QMessageBox::YesRole);
  QPushButton* always = box.addButton("Immer vertrauen", QMessageBox::AcceptRole);
  QPushButton* no = box.addButton("Nein", QMessageBox::NoRole);
  once->setObjectName("Ja");
  always->setObjectName("ImmerVertrauen");
  no->setObjectName("Nein");
  box.setDefaultButton(no);  // Enter alone never trusts a stranger
  box.setEscapeButton(no);
  box.exec();
  if (box.clickedButton() == once) return FtpTrustAnswer::Once;
  if (box.clickedButton() == always) return FtpTrustAnswer::Always;
  return FtpTrustAnswer::No;
}
