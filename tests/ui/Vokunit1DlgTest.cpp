#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ScriptedDialogs.h"
#include "Vokunit1Dlg.h"

namespace {

// Runs Ask() while queued actions answer the modal dialog, one after the other.
std::optional<std::string> AskWith(Tvokdlg1& dlg, std::vector<std::function<void()>> actions) {
  for (size_t i = 0; i < actions.size(); ++i) QTimer::singleShot(static_cast<int>(10 * i), &dlg, actions[i]);
  return dlg.Ask();
}

}  // namespace

TEST(LessonDialogTest, ShowsItsFieldsWithStartValues) {
  ScriptedDialogs dialogs;
  Tvokdlg1 dlg(dialogs);
  EXPECT_EQ(dlg.windowTitle(), "Eingabe der Lerneinheit");
  EXPECT_EQ(dlg.Label1->text(), "Titel");
  EXPECT_EQ(dlg.Label2->text(), "Klasse");
  EXPECT_EQ(dlg.Label3->text(), "Lektion");
  EXPECT_EQ(dlg.Label4->text(), "Zusatz");
  EXPECT_EQ(dlg.BitBtn2->text(), "Abbrechen");
  EXPECT_EQ(dlg.SpinEdit1->value(), 7);
  EXPECT_EQ(dlg.SpinEdit1->maximum(), 10);
  EXPECT_EQ(dlg.SpinEdit2->value(), 1);
  EXPECT_EQ(dlg.SpinEdit2->maximum(), 30);
  EXPECT_TRUE(dlg.Edit1->text().isEmpty());
}

TEST(LessonDialogTest, TypedTextFollowsTheFieldRules) {
  ScriptedDialogs dialogs;
  Tvokdlg1 dlg(dialogs);
  QTest::keyClicks(dlg.Edit1, "a b-7xyz");
  EXPECT_EQ(dlg.Edit1->text(), "AB7");
  QTest::keyClick(dlg.Edit1, Qt::Key_Backspace);
  EXPECT_EQ(dlg.Edit1->text(), "AB");
  QTest::keyClicks(dlg.Edit2, "B1cd");
  EXPECT_EQ(dlg.Edit2->text(), "c");
  dlg.Edit1->clear();
  dlg.Edit1->insert(QStringLiteral("\u00e9t\u00e9"));  // pasted text obeys the same rule
  EXPECT_EQ(dlg.Edit1->text(), QStringLiteral("\u00c9T\u00c9"));
}

TEST(LessonDialogTest, OkWithoutTitleAsksAndStaysOpen) {
  ScriptedDialogs dialogs;
  Tvokdlg1 dlg(dialogs);
  bool visibleAfterRefusal = false;
  const auto code = AskWith(dlg, {[&] { dlg.OkBtn->click(); },
                                  [&] {
                                    visibleAfterRefusal = dlg.isVisible();
                                    dlg.BitBtn2->click();
                                  }});
  EXPECT_FALSE(code);
  EXPECT_TRUE(visibleAfterRefusal);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Bitte Titel-Feld ausf\xFCllen");
}

TEST(LessonDialogTest, OkBuildsTheCodeAndTheValuesStay) {
  ScriptedDialogs dialogs;
  Tvokdlg1 dlg(dialogs);
  const auto code = AskWith(dlg, {[&] {
    QTest::keyClicks(dlg.Edit1, "abc");
    dlg.SpinEdit1->setValue(9);
    dlg.SpinEdit2->setValue(12);
    QTest::keyClicks(dlg.Edit2, "b");
    dlg.OkBtn->click();
  }});
  EXPECT_EQ(code, "ABC-9-12b");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(AskWith(dlg, {[&] { dlg.OkBtn->click(); }}), "ABC-9-12b");
}
