// The print dialog of the access-data printout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "FTPdru.h"
#include "Win1252.h"

namespace {

// Types into the open dialog and presses a button once it is shown.
std::optional<RepeatedPasswords> AskWith(TDruDlg& dlg, QString password, QString proxy,
                                         QPushButton* TDruDlg::*button) {
  QTimer::singleShot(10, &dlg, [&dlg, password, proxy, button] {
    EXPECT_TRUE(dlg.PassEdit->text().isEmpty());
    EXPECT_TRUE(dlg.PassEditP->text().isEmpty());
    // On a loaded machine the dialog may take a moment to become active.
    // The check after the wait says what went wrong; the wait's own result adds nothing.
    static_cast<void>(QTest::qWaitFor([&dlg] { return QApplication::focusWidget() == dlg.PassEdit; }, 3000));
    EXPECT_EQ(QApplication::focusWidget(), dlg.PassEdit);
    // Typed into the field that must have the focus; a character beyond ASCII is inserted as
    // the keyboard would.
    for (const QChar c : password) {
      if (c.unicode() < 0x80) QTest::keyClicks(dlg.PassEdit, QString(c));
      else dlg.PassEdit->insert(c);
    }
    dlg.PassEditP->setText(proxy);
    (dlg.*button)->click();
  });
  return dlg.Ask();
}

}  // namespace

TEST(DruDlgTest, CaptionLabelsAndHashedPasswordFields) {
  TDruDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Druck-Dialog");
  EXPECT_EQ(dlg.Label1->text(),
            QString::fromUtf8("Falls das Passwort entschlüsselt ausgegeben werden soll, muss es "
                              "hier wiederholt werden. Ansonsten OK drücken."));
  EXPECT_EQ(dlg.Label2->text(),
            QString::fromUtf8("Falls das Proxy-Passwort entschlüsselt ausgegeben werden soll, "
                              "muss es hier wiederholt werden. Ansonsten OK drücken."));
  for (QLineEdit* edit : {dlg.PassEdit, dlg.PassEditP}) {
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(edit->styleSheet().contains("lineedit-password-character: 35"));
  }
  EXPECT_EQ(dlg.BitBtn1->text(), "OK");
  EXPECT_EQ(dlg.BitBtn2->text(), "Abbrechen");
}

TEST(DruDlgTest, OkGivesTheTypedTextsAndEveryShowStartsEmpty) {
  TDruDlg dlg;
  const std::optional<RepeatedPasswords> first =
      AskWith(dlg, QString::fromUtf8("Geheim7ä"), "xy", &TDruDlg::BitBtn1);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Password, A("Geheim7ä"));
  EXPECT_EQ(first->ProxyPassword, "xy");

  // Shown again: the fields are empty (checked inside) and Cancel gives nothing.
  EXPECT_FALSE(AskWith(dlg, "abc", "", &TDruDlg::BitBtn2));
}
