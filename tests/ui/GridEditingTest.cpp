// The grid as the learner uses it: accent letters while typing, and the marked rows the
// row commands act on staying the rows the view shows as marked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "MainWindowFixture.h"
#include "QtText.h"
#include "TableFixtures.h"
#include "vokdisk.h"

namespace {

QWidget* Typing() { return QApplication::focusWidget(); }

// Each key goes to the widget that has the focus when it is pressed, as on a keyboard.
void Type(const char* text) {
  for (const char* c = text; *c; ++c) QTest::keyClick(Typing(), *c);
}

// The rows the view shows selected, as a table range (top, bottom); (-1, -1) when none.
std::pair<int, int> ViewMarkedRows(VokGridView* grid) {
  int top = -1, bottom = -1;
  for (const QModelIndex& index : grid->selectionModel()->selectedIndexes()) {
    const int row = index.row() + 1;
    top = top < 0 ? row : std::min(top, row);
    bottom = std::max(bottom, row);
  }
  return {top, bottom};
}

// Every data cell is painted marked exactly when the table's marked range holds it, and the
// view's selection covers the same rows.
void ExpectViewShowsTableMarking(VokGridView* grid) {
  QApplication::processEvents();
  const VokTable& t = grid->Table();
  for (int r = 1; r < t.RowCount(); ++r)
    for (int c = 1; c <= 2; ++c) {
      const bool inRange = !t.marked.IsNone() && r >= t.marked.top && r <= t.marked.bottom &&
                           c >= t.marked.left && c <= t.marked.right;
      EXPECT_EQ(grid->Marks(grid->model()->index(r - 1, c)), inRange) << "row " << r;
    }
  const auto [top, bottom] = ViewMarkedRows(grid);
  if (t.marked.IsNone()) {
    EXPECT_EQ(top, -1);
  } else {
    EXPECT_EQ(top, t.marked.top);
    EXPECT_EQ(bottom, t.marked.bottom);
  }
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST_F(MainWindowTest, AccentButtonGoesInAtTheCaretAndTypingGoesOn) {
  Open();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->MBtnClick(InputMode::Write);
  VokGridView* grid = form->Grid(0);
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, 1));
  Type("le c");
  ASSERT_TRUE(qobject_cast<QLineEdit*>(Typing()));
  QTest::mouseClick(form->Button("FrenchBtn12"), Qt::LeftButton);  // "œ"
  Type("ur");
  QTest::keyClick(Typing(), Qt::Key_Left);
  QTest::keyClick(Typing(), Qt::Key_Left);
  QTest::keyClick(Typing(), Qt::Key_Left);
  QTest::mouseClick(form->Button("FrenchBtn8"), Qt::LeftButton);  // "ë", in the middle
  QTest::keyClick(Typing(), Qt::Key_Return);
  QApplication::processEvents();  // the editor hands its text over after the key
  EXPECT_EQ(form->Document().Box(1).Cell(1, 1), A("le cëœur"));
  EXPECT_TRUE(form->IsModified());
}

TEST_F(MainWindowTest, AccentButtonStartsAnEditWhenNoneIsOpen) {
  Open();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->MBtnClick(InputMode::Write);
  VokGridView* grid = form->Grid(0);
  grid->setCurrentIndex(grid->model()->index(0, 2));
  QTest::keyClick(Typing(), Qt::Key_Escape);  // no editor open now
  ASSERT_EQ(grid->indexWidget(grid->currentIndex()), nullptr);
  form->FrenchBtnClick(A("ç"));
  Type("a");
  QTest::keyClick(Typing(), Qt::Key_Return);
  QApplication::processEvents();  // the editor hands its text over after the key
  EXPECT_EQ(form->Document().Box(1).Cell(2, 1), A("ça"));
}

TEST_F(MainWindowTest, ReadingATidiedFileShowsTheMarkingTheTableKeeps) {
  QTemporaryDir dir;
  VokDocument source;
  FillTable(source.Box(1), {{"", "a", "A"}, {"", "", ""}, {"", "b", "B"}, {"", "", ""}, {"", "c", "C"}});
  const std::filesystem::path file = PathFromQ(dir.filePath("leer.evd"));
  WriteFile(file, EncodeVocabFile(source));

  Open();
  VokGridView* grid = form->Grid(0);
  dialogs.fileAnswers.push_back(FileChoice{file, 1});
  form->Command(VokCommand::ffnen1)->trigger();
  ASSERT_EQ(form->Document().Box(1).RowCount(), 4);  // the empty rows are gone
  ExpectViewShowsTableMarking(grid);

  // The learner marks "b" and "c"; saving tidies nothing away now, the marking stays shown.
  const QRect b = grid->visualRect(grid->model()->index(1, 1));
  const QRect c = grid->visualRect(grid->model()->index(2, 1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, b.center());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, c.center());
  EXPECT_EQ(form->Document().Box(1).marked, (MarkedRange{1, 2, 2, 3}));
  form->Command(VokCommand::speichern1)->setEnabled(true);
  form->File().Save();
  ExpectViewShowsTableMarking(grid);
}

TEST_F(MainWindowTest, SavingATidiedBoxKeepsViewAndTableMarkingTogether) {
  QTemporaryDir dir;
  Open();
  VokGridView* grid = form->Grid(0);
  FillTable(form->Document().Box(1),
            {{"", "a", "A"}, {"", "", ""}, {"", "b", "B"}, {"", "", ""}, {"", "c", "C"}});
  // Rows 4 and 5 ("" and "c") marked with the mouse.
  const QRect four = grid->visualRect(grid->model()->index(3, 1));
  const QRect five = grid->visualRect(grid->model()->index(4, 1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, four.center());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, five.center());
  ASSERT_EQ(form->Document().Box(1).marked, (MarkedRange{1, 4, 2, 5}));

  dialogs.fileAnswers.push_back(FileChoice{PathFromQ(dir.filePath("neu.evd")), 1});
  form->Command(VokCommand::speichernunter1)->trigger();
  ASSERT_EQ(form->Document().Box(1).RowCount(), 4);  // a, b, c
  ExpectViewShowsTableMarking(grid);
  EXPECT_FALSE(form->Document().Box(1).marked.IsNone());

  // F8 acts on exactly the rows shown as marked.
  const MarkedRange shown = form->Document().Box(1).marked;
  form->Command(VokCommand::SpalteninmarkiertenZeilenvertauschen1)->trigger();
  for (int r = 1; r < form->Document().Box(1).RowCount(); ++r) {
    const bool swapped = form->Document().Box(1).Cell(1, r) != std::string(1, char('a' + r - 1));
    EXPECT_EQ(swapped, r >= shown.top && r <= shown.bottom) << "row " << r;
  }
}

TEST_F(MainWindowTest, ReplacingRowsKeepsTheMarkingOnRowsThatExist) {
  Open();
  VokGridView* grid = form->Grid(0);
  VokTable& t = form->Document().Box(1);
  FillTable(t, {{"", "a", "A"}, {"", "b", "B"}, {"", "c", "C"}, {"", "d", "D"}});
  t.marked = {1, 3, 2, 4};
  t.cursorRow = 4;
  grid->ShowCursor();
  std::vector<VokRow> rows(3);
  rows[1] = {"", "x", "X"};
  rows[2] = {"", "y", "Y"};
  t.ReplaceRows(std::move(rows));  // two data rows left
  EXPECT_EQ(t.marked, (MarkedRange{1, 2, 2, 2}));
  EXPECT_EQ(t.cursorRow, 2);
  ExpectViewShowsTableMarking(grid);
}

}  // namespace
