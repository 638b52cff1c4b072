#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "VokSortDlg.h"

namespace {

// Runs Ask() while a queued action answers the modal dialog.
std::optional<SortOptions> AskAndPress(TSortDlg& dlg, const std::function<void()>& action) {
  QTimer::singleShot(0, &dlg, action);
  return dlg.Ask();
}

}  // namespace

TEST(SortDialogTest, ShowsItsGroupsWithTheFirstDefaults) {
  TSortDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Sortieren");
  EXPECT_EQ(dlg.GroupBox3->title(), "Art der Sortierung");
  EXPECT_EQ(dlg.GroupBox2->title(), "Spalten");
  EXPECT_EQ(dlg.GroupBox1->title(), "Bereich");
  EXPECT_EQ(dlg.SortBtn1->text(), "alphabetisch");
  EXPECT_EQ(dlg.SortBtn2->text(), "nach Lektionen, dann alphabetisch");
  EXPECT_EQ(dlg.SortBtn3->text(), "1. Spalte sortieren");
  EXPECT_EQ(dlg.SortBtn4->text(), "2. Spalte sortieren");
  EXPECT_EQ(dlg.SortBtn5->text(), "markierten Bereich sortieren");
  EXPECT_EQ(dlg.SortBtn6->text(), "gesamte Liste sortieren");
  EXPECT_EQ(dlg.Label1->text(), "Achtung! Beim Sortieren geht die momentane Reihenfolge verloren! "
                                "Eventuell vorher speichern.");
  EXPECT_EQ(dlg.BitBtn2->text(), "Abbrechen");
  EXPECT_EQ(dlg.Options(), SortOptions{});
  EXPECT_EQ(dlg.Options().kind, SortKind::ByLesson);
  EXPECT_EQ(dlg.Options().column, 1);
  EXPECT_EQ(dlg.Options().range, SortRange::Whole);
}

TEST(SortDialogTest, OkReturnsTheChoicesWhichAreKeptForTheNextUse) {
  TSortDlg dlg;
  const std::optional<SortOptions> chosen = AskAndPress(dlg, [&] {
    dlg.SortBtn1->click();
    dlg.SortBtn4->click();
    dlg.SortBtn5->click();
    dlg.BitBtn1->click();
  });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, (SortOptions{SortKind::Alphabetic, 2, SortRange::Marked}));
  // Each group is its own exclusive pair.
  EXPECT_FALSE(dlg.SortBtn2->isChecked());
  EXPECT_FALSE(dlg.SortBtn3->isChecked());
  EXPECT_FALSE(dlg.SortBtn6->isChecked());

  const std::optional<SortOptions> again = AskAndPress(dlg, [&] { dlg.BitBtn1->click(); });
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(*again, *chosen);

  const std::optional<SortOptions> cancelled = AskAndPress(dlg, [&] { dlg.BitBtn2->click(); });
  EXPECT_FALSE(cancelled.has_value());
}
