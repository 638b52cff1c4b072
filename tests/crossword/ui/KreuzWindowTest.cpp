// The crossword window and its task list: a new puzzle, typing, revealing, the solution view,
// going to a clue and printing, as the learner does it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QTest>

#include "CrosswordFixtures.h"
#include "KreuzGrid.h"
#include "RecordingPrinter.h"
#include "VokKreuz1.h"
#include "VokKreuz2.h"

namespace {

struct Windows {
  VokDocument doc;
  RecordingPrinter printer;
  TKreuzDlg dlg{doc};
  TKreuzForm form{dlg.Puzzle(), &printer, [] { return 1.0; }, &dlg};
  ScriptedRandom random{0, 0, 0, 0, 0, 1};  // "maison" across at (1,1), "marche" down from there
  Windows() {
    FillBox(doc.Box(1), {{"maison", "Haus"}, {"marche", "Markt"}});
    dlg.SetTaskList(&form);
    dlg.SetRandomSource(&random);
  }
  QColor PixelAt(int column, int row, int dx, int dy) {
    const QRect r = dlg.DrawGrid1->visualRect(dlg.DrawGrid1->model()->index(row, column));
    return dlg.DrawGrid1->viewport()->grab().toImage().pixelColor(r.left() + dx, r.top() + dy);
  }
  // Whether the square's letter area holds pixels of the colour (black or red).
  bool LetterIn(int column, int row, QColor colour) {
    const QRect r = dlg.DrawGrid1->visualRect(dlg.DrawGrid1->model()->index(row, column));
    const QImage img = dlg.DrawGrid1->viewport()->grab().toImage();
    for (int y = r.top() + 14; y < r.top() + 38; ++y)
      for (int x = r.left() + 12; x < r.left() + 36; ++x) {
        const QColor c = img.pixelColor(x, y);
        if (std::abs(c.red() - colour.red()) < 60 && std::abs(c.green() - colour.green()) < 60 &&
            std::abs(c.blue() - colour.blue()) < 60)
          return true;
      }
    return false;
  }
};

}  // namespace

TEST(KreuzWindow, BeforeTheFirstNewEverySquareIsShadedAndTheListEmpty) {
  Windows w;
  w.dlg.show();
  EXPECT_EQ(w.dlg.windowTitle(), QString::fromUtf8("Kreuzwort-Rätsel"));
  EXPECT_EQ(w.PixelAt(0, 0, 20, 20), QColor(0xA0, 0xA0, 0xA4));
  EXPECT_EQ(w.PixelAt(10, 10, 20, 20), QColor(0xA0, 0xA0, 0xA4));
  EXPECT_FALSE(w.form.isVisible());
  EXPECT_EQ(w.form.StringGrid1->rowCount(), 1);
}

TEST(KreuzWindow, NewFillsBoardAndTaskListAndShowsTheList) {
  Windows w;
  w.dlg.show();
  w.dlg.neu1Click();
  EXPECT_TRUE(w.form.isVisible());
  EXPECT_EQ(w.form.windowTitle(), "Aufgaben");
  ASSERT_EQ(w.form.StringGrid1->rowCount(), 3);  // two clues and the empty row
  EXPECT_EQ(w.form.StringGrid1->item(0, 0)->text(), "1");
  EXPECT_EQ(w.form.StringGrid1->item(0, 1)->text(), "waagerecht");
  EXPECT_EQ(w.form.StringGrid1->item(0, 2)->text(), "Haus");
  EXPECT_EQ(w.form.StringGrid1->item(1, 0)->text(), "1");
  EXPECT_EQ(w.form.StringGrid1->item(1, 1)->text(), "senkrecht");
  EXPECT_EQ(w.form.StringGrid1->item(2, 0), nullptr);
  EXPECT_EQ(w.PixelAt(0, 0, 25, 5), QColor(Qt::white));
  EXPECT_EQ(w.PixelAt(1, 1, 20, 20), QColor(0xA0, 0xA0, 0xA4));
  EXPECT_EQ(w.dlg.Gauge1->value(), 0);  // the last pass (length 2) had no attempts
  // The candidate page holds the words that fitted the last slot.
  ASSERT_EQ(w.dlg.KreuzClipGrid->rowCount(), 2);
  EXPECT_EQ(w.dlg.KreuzClipGrid->item(1, 1)->text(), "marche");
}

TEST(KreuzWindow, TypingRevealingAndTheSolutionInTheirColours) {
  Windows w;
  w.dlg.show();
  w.dlg.neu1Click();
  w.dlg.DrawGrid1->setFocus();
  w.dlg.GoToSquare(1, 0);
  QTest::keyClicks(w.dlg.DrawGrid1, "a");
  EXPECT_EQ(w.dlg.Puzzle().typed[1][0], 'A');
  EXPECT_TRUE(w.LetterIn(1, 0, Qt::black));
  QKeyEvent eacute(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é"));
  QApplication::sendEvent(w.dlg.DrawGrid1, &eacute);
  EXPECT_EQ(w.dlg.Puzzle().typed[1][0], ' ');
  EXPECT_FALSE(w.LetterIn(1, 0, Qt::black));
  // Revealed by double click: the solution's own letter, black in the solution view.
  w.dlg.DrawGrid1DblClick(2, 0);
  EXPECT_EQ(w.dlg.Puzzle().typed[2][0], 'i');
  w.dlg.GoToSquare(3, 0);
  QTest::keyClicks(w.dlg.DrawGrid1, "s");  // "S" against "s": right in any case
  // A shaded square refuses the key.
  w.dlg.GoToSquare(5, 5);
  QTest::keyClicks(w.dlg.DrawGrid1, "x");
  EXPECT_EQ(w.dlg.Puzzle().typed[5][5], kFreeLetter);
  w.form.Button1->click();
  EXPECT_TRUE(w.dlg.Puzzle().solutionShown);
  EXPECT_TRUE(w.LetterIn(2, 0, Qt::black));
  EXPECT_FALSE(w.LetterIn(2, 0, Qt::red));
  EXPECT_TRUE(w.LetterIn(3, 0, Qt::black));
  EXPECT_FALSE(w.LetterIn(3, 0, Qt::red));
  EXPECT_TRUE(w.LetterIn(4, 0, Qt::red));  // left empty
  // The next puzzle starts with the solution hidden again.
  w.dlg.neu1Click();
  EXPECT_FALSE(w.dlg.Puzzle().solutionShown);
}

TEST(KreuzWindow, ClickOnAClueMovesTheCurrentSquareToItsNumber) {
  Windows w;
  w.dlg.show();
  w.dlg.neu1Click();
  w.dlg.Puzzle().board[7][4].number = 5;  // a square showing 5 at column 6, row 3
  w.form.StringGrid1->setItem(0, 0, new QTableWidgetItem("5"));
  w.form.StringGrid1Click(0);
  EXPECT_EQ(w.dlg.DrawGrid1->CurrentColumn(), 6);
  EXPECT_EQ(w.dlg.DrawGrid1->CurrentRow(), 3);
  w.form.StringGrid1Click(2);  // the empty last row moves nothing
  EXPECT_EQ(w.dlg.DrawGrid1->CurrentColumn(), 6);
}

// Click a square, move on with the arrow key, and click the first square again quickly: the
// double click reveals the square under the mouse, not the one the key moved to.
TEST(KreuzWindow, DoubleClickRevealsTheSquareUnderTheMouse) {
  Windows w;
  w.dlg.show();
  w.dlg.neu1Click();
  QWidget* board = w.dlg.DrawGrid1->viewport();
  const QPoint at = w.dlg.DrawGrid1->visualRect(w.dlg.DrawGrid1->model()->index(0, 4)).center();
  QTest::mouseClick(board, Qt::LeftButton, Qt::NoModifier, at);
  ASSERT_EQ(w.dlg.DrawGrid1->CurrentColumn(), 4);
  QTest::keyClick(w.dlg.DrawGrid1, Qt::Key_Right);
  ASSERT_EQ(w.dlg.DrawGrid1->CurrentColumn(), 5);
  // The second click of a double click arrives as the double-click event alone.
  QMouseEvent dbl(QEvent::MouseButtonDblClick, at, board->mapToGlobal(at), Qt::LeftButton,
                  Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(board, &dbl);
  QTest::mouseRelease(board, Qt::LeftButton, Qt::NoModifier, at);
  EXPECT_EQ(w.dlg.Puzzle().typed[4][0], 'o');
  EXPECT_EQ(w.dlg.Puzzle().typed[5][0], kFreeLetter);
  EXPECT_EQ(w.dlg.DrawGrid1->CurrentColumn(), 4);
}

// The learner clicks a clue in the task list and types the word's first letter at once.
TEST(KreuzWindow, AfterAClueTheNextLetterGoesIntoTheBoard) {
  Windows w;
  w.dlg.show();
  w.dlg.neu1Click();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.form));
  w.form.activateWindow();
  w.form.StringGrid1->setFocus();
  QTRY_VERIFY(w.form.StringGrid1->hasFocus());
  const QPoint clue = w.form.StringGrid1->visualItemRect(w.form.StringGrid1->item(0, 2)).center();
  QTest::mouseClick(w.form.StringGrid1->viewport(), Qt::LeftButton, Qt::NoModifier, clue);
  // At once: the offscreen platform may hand the activation back to the crossword window by
  // itself, but only later.
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(w.dlg.DrawGrid1));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_M, Qt::NoModifier);
  EXPECT_EQ(w.dlg.Puzzle().typed[0][0], 'M');
}

TEST(KreuzWindow, SixLetterWordsOfBoxOneAreAppendedToTheCandidateTable) {
  Windows w;
  w.doc.SetCurrentPage(1);
  w.dlg.ToolButton2Click();
  w.dlg.ToolButton2Click();  // not emptied first
  ASSERT_EQ(w.dlg.CandidateTable().RowCount(), 4);
  EXPECT_EQ(w.dlg.CandidateTable().Cell(1, 2), "maison");
  EXPECT_EQ(w.dlg.KreuzClipGrid->rowCount(), 4);
}

TEST(KreuzWindow, PrintButtonPrintsBoardAndCluesAndClosingHidesTheList) {
  Windows w;
  w.dlg.show();
  w.dlg.neu1Click();
  w.form.Button2->click();
  ASSERT_EQ(w.printer.jobs.size(), 1u);
  EXPECT_EQ(w.printer.jobs[0].pages.size(), 2u);
  EXPECT_EQ(w.printer.jobs[0].pages[1].texts.at(2).text, "Haus");
  w.dlg.close();
  EXPECT_FALSE(w.form.isVisible());
  // Reopening shows the board as it was left.
  w.dlg.show();
  EXPECT_EQ(w.dlg.Puzzle().clues.size(), 2u);
  EXPECT_EQ(w.PixelAt(0, 0, 25, 5), QColor(Qt::white));
}
