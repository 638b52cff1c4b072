// The test window taken as a learner takes it: answers typed, moved with Tab and the arrow
// keys, accent buttons, correction.
#include "FramedPlacement.h"
#include "VokTestDlg.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "TableFixtures.h"
#include "VokTestModels.h"
#include "Win1252.h"

namespace {

// Rows 1..count of the box in order, then the mixed-direction column draws.
RandomSource InOrder(std::vector<int> values) {
  auto next = std::make_shared<size_t>(0);
  return [values = std::move(values), next](int, int) { return values.at((*next)++); };
}

class TestWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    FillTable(box, {{"7A", "la maison (f)/le logis", "Haus"},
                    {"7A", "le chat", "Katze"},
                    {"7B", A("l'école"), "Schule"},
                    {"7B", A("le cœur"), "Herz"},
                    {"7C", "le pain", "Brot"}});
  }

  void Start(TestSettings settings, std::vector<int> draws) {
    ASSERT_TRUE(dlg.PrepareTest(box, settings, InOrder(std::move(draws))));
    dlg.show();
    QApplication::processEvents();
  }

  QLineEdit* Editor() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return qobject_cast<QLineEdit*>(dlg.TestGrid->Delegate()->OpenEditor());
  }

  // Types into the open editor, then presses the key.
  void Answer(const QString& text, Qt::Key key = Qt::Key_Tab) {
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr) << "no editor open at row " << CurrentRow();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
  }

  int CurrentRow() const { return TestTableModel::TableRow(dlg.TestGrid->currentIndex()); }
  int CurrentCol() const { return dlg.TestGrid->currentIndex().column(); }
  QString Mark(int row) const {
    return dlg.wfGrid->model()->index(row - 1, 0).data().toString();
  }
  std::string Cell(int col, int row) const { return dlg.Test().test.Cell(col, row); }

  VokTable box;
  TTestDlg dlg;
};

}  // namespace

TEST_F(TestWindow, ModelsPassTheModelTester) {
  Start({5, TestDirection::Mixed}, {5, 1, 2, 2, 3, 1, 1, 2, 4, 1});
  QAbstractItemModelTester testerTest(dlg.TestGrid->model(),
                                      QAbstractItemModelTester::FailureReportingMode::Fatal);
  QAbstractItemModelTester testerMarks(dlg.wfGrid->model(),
                                       QAbstractItemModelTester::FailureReportingMode::Fatal);
  QAbstractItemModelTester testerSolution(dlg.LsgGrid->model(),
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
  Answer("le pain");
  dlg.KorrektBtnClick();
  ASSERT_TRUE(dlg.PrepareTest(box, {10, TestDirection::IntoGerman}, InOrder({3, 4, 1, 2, 5})));
  EXPECT_EQ(dlg.TestGrid->model()->rowCount(), 5);
  EXPECT_EQ(dlg.wfGrid->model()->rowCount(), 5);
  EXPECT_EQ(dlg.TestGrid->model()->headerData(1, Qt::Horizontal).toString(),
            QString::fromUtf8("Französisch"));
}

TEST_F(TestWindow, FullTestTypedAndCorrected) {
  // Box rows 2, 5, 1, 4, 3; the French word is asked (column 1).
  Start({5, TestDirection::IntoFrench}, {2, 5, 1, 4, 3});
  EXPECT_EQ(dlg.windowTitle(), "Test");
  EXPECT_EQ(dlg.Label1->text(), "Ergebnis:");
  EXPECT_FALSE(dlg.PageControl1->isTabVisible(1));
  EXPECT_EQ(dlg.wfGrid->width(), 0);
  EXPECT_FALSE(dlg.TestDruckBtn->isEnabled());
  EXPECT_FALSE(dlg.LsgDruckBtn->isEnabled());
  EXPECT_EQ(CurrentRow(), 1);
  EXPECT_EQ(CurrentCol(), 1);

  Answer("le chat");                        // right
  Answer("  le pain ");                     // right once tidied
  Answer("le logis / la maison (Haus)");    // right: both alternatives, remark ignored
  Answer("le coeur");                       // wrong: the accent counts
  Answer("l'", Qt::Key_Enter);              // Enter stays in the row
  EXPECT_EQ(CurrentRow(), 5);
  QTest::keyClick(Editor(), Qt::Key_E);     // lower-case e
  // The French accent comes from its button; letters not on a button are typed.
  ASSERT_EQ(Editor()->text(), "l'e");
  Editor()->setText("l'");
  QToolButton* eAcute = dlg.AccentButtons.at(5);
  EXPECT_FALSE(eAcute->isVisible());        // é is present but hidden
  eAcute->click();
  QTest::keyClicks(Editor(), "cole");
  EXPECT_EQ(Cell(1, 5), A("l'école"));

  dlg.KorrektBtn->click();
  EXPECT_EQ(dlg.Label1->text(), "1 Fehler (80% richtig) Note: 2");
  EXPECT_EQ(Mark(1), "r");
  EXPECT_EQ(Mark(2), "r");
  EXPECT_EQ(Mark(3), "r");
  EXPECT_EQ(Mark(4), "f");
  EXPECT_EQ(Mark(5), "r");
  EXPECT_EQ(dlg.wfGrid->model()->headerData(0, Qt::Horizontal).toString(), "K");
  EXPECT_EQ(dlg.wfGrid->width(), 56);
  EXPECT_TRUE(dlg.PageControl1->isTabVisible(1));
  EXPECT_EQ(Cell(1, 2), "le pain");  // answers stay tidied

  // The answers stay open: mend row 4 and correct again.
  dlg.TestGrid->setCurrentIndex(dlg.TestGrid->model()->index(3, 1));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_NE(Editor(), nullptr);
  Editor()->clear();
  QTest::keyClicks(Editor(), "le c");
  dlg.AccentButtons.at(11)->click();  // œ
  QTest::keyClicks(Editor(), "ur");
  dlg.KorrektBtnClick();
  EXPECT_EQ(dlg.Label1->text(), "0 Fehler (100% richtig) Note: 1");
  EXPECT_EQ(Mark(4), "r");
  dlg.KorrektBtnClick();
  EXPECT_EQ(dlg.Label1->text(), "0 Fehler (100% richtig) Note: 1");
}

TEST_F(TestWindow, EveryAnswerWrongOrEmptyGivesGradeSix) {
  Start({5, TestDirection::IntoGerman}, {1, 2, 3, 4, 5});
  EXPECT_EQ(CurrentCol(), 2);
  Answer("Haus/Heim");  // an alternative the solution does not have
  Answer("katze");
  dlg.KorrektBtnClick();
  EXPECT_EQ(dlg.Label1->text(), "5 Fehler (0% richtig) Note: 6");
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(Mark(r), "f");
}

TEST_F(TestWindow, MovingKeysGoFromAskedCellToAskedCell) {
  // Mixed: rows 1..5 asked in columns 2, 1, 1, 2, 1.
  Start({5, TestDirection::Mixed}, {1, 2, 2, 1, 3, 1, 4, 2, 5, 1});
  EXPECT_EQ(CurrentCol(), 2);
  QTest::keyClick(Editor(), Qt::Key_Down);
  EXPECT_EQ(CurrentRow(), 2);
  EXPECT_EQ(CurrentCol(), 1);
  QTest::keyClick(Editor(), Qt::Key_Tab);
  QTest::keyClick(Editor(), Qt::Key_Tab);
  EXPECT_EQ(CurrentRow(), 4);
  EXPECT_EQ(CurrentCol(), 2);
  QTest::keyClick(Editor(), Qt::Key_Up);
  EXPECT_EQ(CurrentRow(), 3);
  EXPECT_EQ(CurrentCol(), 1);
  QTest::keyClick(Editor(), Qt::Key_Tab, Qt::ShiftModifier);
  QTest::keyClick(Editor(), Qt::Key_Backtab, Qt::ShiftModifier);
  QTest::keyClick(Editor(), Qt::Key_Up);
  EXPECT_EQ(CurrentRow(), 1);  // row 1 stays row 1
  for (int i = 0; i < 6; ++i) QTest::keyClick(Editor(), Qt::Key_Tab);
  EXPECT_EQ(CurrentRow(), 5);  // the last row stays the last
  EXPECT_EQ(CurrentCol(), 1);
  EXPECT_NE(Editor(), nullptr);
}

TEST_F(TestWindow, OnlyTheAskedCellTakesTyping) {
  Start({5, TestDirection::IntoFrench}, {1, 2, 3, 4, 5});
  // Select the German word of row 2: it is selected, but typing changes nothing.
  const QModelIndex german = dlg.TestGrid->model()->index(1, 2);
  dlg.TestGrid->setCurrentIndex(german);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Editor(), nullptr);
  QTest::keyClicks(dlg.TestGrid, "xy");
  QTest::keyClick(dlg.TestGrid, Qt::Key_Delete);
  dlg.AccentButtons.at(1)->click();  // ç
  EXPECT_EQ(Cell(2, 2), "Katze");
  EXPECT_EQ(dlg.TestGrid->currentIndex(), german);
  // A moving key from there goes on to the asked cell of the next row and edits it.
  QTest::keyClick(dlg.TestGrid, Qt::Key_Tab);
  EXPECT_EQ(CurrentRow(), 3);
  EXPECT_EQ(CurrentCol(), 1);
  ASSERT_NE(Editor(), nullptr);
  // Typing on the asked cell with no editor open starts the editor with that letter.
  dlg.TestGrid->CloseEditor();
  QTest::keyClicks(dlg.TestGrid, "l");
  EXPECT_EQ(Cell(1, 3), "l");
}

TEST_F(TestWindow, EscapeDoesNotEndTheTest) {
  Start({5, TestDirection::IntoFrench}, {1, 2, 3, 4, 5});
  // Escape in the open editor, then on the grid itself: the answers and the window stay.
  Answer("le chat", Qt::Key_Enter);
  QTest::keyClick(Editor(), Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QTest::keyClick(dlg.TestGrid, Qt::Key_Escape);
  QTest::keyClick(dlg.KorrektBtn, Qt::Key_Escape);
  EXPECT_TRUE(dlg.isVisible());
  EXPECT_EQ(Cell(1, 1), "le chat");
  // The window's close button still ends it.
  dlg.close();
  EXPECT_FALSE(dlg.isVisible());
}

TEST_F(TestWindow, AccentButtonsDoNothingOnTheSolutionPage) {
  Start({5, TestDirection::IntoFrench}, {1, 2, 3, 4, 5});
  dlg.KorrektBtnClick();
  dlg.PageControl1->setCurrentIndex(1);
  dlg.AccentButtons.at(1)->click();
  EXPECT_EQ(Cell(1, 1), "");
  // Visible accent buttons: Ç ç ë ï œ.
  QString shown;
  for (QToolButton* b : dlg.AccentButtons)
    if (!b->isHidden()) shown += b->text();
  EXPECT_EQ(shown, QString::fromUtf8("Ççëïœ"));
}

TEST_F(TestWindow, GridsScrollTogether) {
  std::vector<VokRow> rows;
  for (int i = 1; i <= 30; ++i)
    rows.push_back({"L", "mot" + std::to_string(i), "Wort" + std::to_string(i)});
  FillTable(box, rows);
  std::vector<int> draws;
  for (int i = 1; i <= 20; ++i) draws.push_back(i);
  dlg.resize(500, 200);
  Start({20, TestDirection::IntoFrench}, draws);
  dlg.KorrektBtnClick();
  dlg.TestGrid->SetTopRow(7);
  EXPECT_EQ(dlg.wfGrid->TopRow(), 7);
  dlg.PageControl1->setCurrentIndex(1);
  QApplication::processEvents();
  EXPECT_EQ(dlg.LsgGrid->TopRow(), 7);
  dlg.LsgGrid->SetTopRow(3);
  EXPECT_EQ(dlg.TestGrid->TopRow(), 3);
  EXPECT_EQ(dlg.wfGrid->TopRow(), 3);
}

TEST_F(TestWindow, LayoutFollowsTheWindowWidthAndFont) {
  TestGridLook look;
  look.font.height = -16;
  look.dpi = 120;
  dlg.SetLook(look);
  Start({5, TestDirection::IntoFrench}, {1, 2, 3, 4, 5});
  dlg.resize(735, 400);
  QApplication::processEvents();
  EXPECT_EQ(dlg.TestGrid->columnWidth(0), 80);
  EXPECT_EQ(dlg.TestGrid->columnWidth(1), 300);
  EXPECT_EQ(dlg.LsgGrid->columnWidth(2), 300);
  EXPECT_EQ(dlg.TestGrid->rowHeight(0), 26);  // 16 x 120 / 96 + 6
  dlg.KorrektBtnClick();
  EXPECT_EQ(dlg.TestGrid->columnWidth(1), 272);  // the mark column takes 56
  EXPECT_EQ(dlg.LsgGrid->columnWidth(1), 300);
}

TEST(TestWindowStart, EmptyBoxShowsTheNoticeAndOpensNothing) {
  struct Status : StatusView {
    std::string panel2;
    int PanelWidth(int) const override { return 400; }
    int TextWidth(const std::string& t) const override { return static_cast<int>(t.size()); }
    void SetPanelText(int panel, const std::string& text) override {
      if (panel == 2) panel2 = text;
    }
  } status;
  VokTable box;
  FillTable(box, {{"L", "  ", ""}, {"", "", ""}});
  TTestDlg dlg;
  EXPECT_FALSE(dlg.StartTest(box, {5, TestDirection::IntoFrench}, {}, status));
  EXPECT_EQ(status.panel2, "Keine Vokabeln vorhanden");
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(box.RowCount(), 2);
}

namespace {

// The test window lies over its main window: frame top + 24, left + 2, width - 4,
// height - 24, whatever the result line says and whatever the previous test did.
TEST(TestWindowPlace, CoversTheMainWindowBelowItsTitleRowAcrossTests) {
  QWidget main;
  main.setGeometry(100, 80, 640, 480);
  main.show();
  VokTable box;
  FillTable(box, {{"", "la maison", "das Haus"}, {"", "le chat", "die Katze"}});
  TTestDlg dlg(&main);
  const auto run = [&] {
    ASSERT_TRUE(dlg.PrepareTest(box, TestSettings{5, TestDirection::IntoFrench}, InOrder({1, 2})));
    dlg.show();
    QApplication::processEvents();
  };
  const QRect expected(main.frameGeometry().left() + 2, main.frameGeometry().top() + 24,
                       main.frameGeometry().width() - 4, main.frameGeometry().height() - 24);
  run();
  EXPECT_EQ(dlg.frameGeometry(), expected);
  dlg.KorrektBtnClick();  // two wrong answers: a long result line
  QApplication::processEvents();
  EXPECT_EQ(dlg.frameGeometry(), expected);
  dlg.hide();
  run();
  EXPECT_EQ(dlg.frameGeometry(), expected);
  EXPECT_EQ(dlg.Label1->text(), "Ergebnis:");
}

// Every frame rectangle a window takes, as its moves and resizes arrive.
struct FrameRecorder : QObject {
  explicit FrameRecorder(QWidget& w) : window(w) { w.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Move || e->type() == QEvent::Resize) seen.append(window.frameGeometry());
    return false;
  }
  QWidget& window;
  QList<QRect> seen;
};

// As openbox does it now and then: the window is framed only after its first activation, and
// its frame lands where its client area was meant to go (20 pixels too low, 25 too short).
// The window ends where it belongs. (The offscreen platform puts it back by itself, so this
// does not reproduce the race; FramedPlacementSteps holds the rule, fresh starts under
// openbox the proof.)
TEST(TestWindowPlace, PlacedAgainWhenFramedAfterItsActivation) {
  QWidget main;
  main.setGeometry(100, 80, 640, 480);
  main.show();
  VokTable box;
  FillTable(box, {{"", "la maison", "das Haus"}});
  TTestDlg dlg(&main);
  ASSERT_TRUE(dlg.PrepareTest(box, TestSettings{5, TestDirection::IntoFrench}, InOrder({1})));
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
  const QRect expected = TestWindowFrame(main.frameGeometry());
  ASSERT_NE(dlg.frameGeometry(), dlg.geometry()) << "the platform gives windows no frame";
  const QMargins own(dlg.geometry().left() - dlg.frameGeometry().left(),
                     dlg.geometry().top() - dlg.frameGeometry().top(),
                     dlg.frameGeometry().right() - dlg.geometry().right(),
                     dlg.frameGeometry().bottom() - dlg.geometry().bottom());
  const QRect client = expected.marginsRemoved(own);
  FrameRecorder frames(dlg);
  dlg.setGeometry(client.marginsRemoved(own));  // its frame where its client area belongs
  QTRY_VERIFY_WITH_TIMEOUT(frames.seen.contains(client), 300);  // the manager's frame arrived
  QTRY_COMPARE_WITH_TIMEOUT(dlg.frameGeometry(), expected, 300);
}

TEST(FramedPlacementSteps, WaitsForTheFramePlacesUntilInPlaceAndGivesUp) {
  const QRect wanted(102, 104, 636, 456), inside(103, 124, 634, 435);
  FramedPlacement p;
  EXPECT_EQ(p.Next(wanted, wanted, wanted, true), FramedPlacement::Step::Done);  // not started
  p.Start();
  // Not framed yet: frame and client are the same rectangle.
  EXPECT_EQ(p.Next(inside, inside, wanted, true), FramedPlacement::Step::Wait);
  // Framed, but where the client area belongs.
  EXPECT_EQ(p.Next(QRect(103, 124, 634, 456), QRect(104, 144, 632, 431), wanted, true),
            FramedPlacement::Step::Place);
  // In place, but not yet active: the manager may still move it.
  EXPECT_EQ(p.Next(wanted, inside, wanted, false), FramedPlacement::Step::Wait);
  for (int i = 1; i < FramedPlacement::kSettledChecks; ++i)
    EXPECT_EQ(p.Next(wanted, inside, wanted, true), FramedPlacement::Step::Wait);
  EXPECT_EQ(p.Next(wanted, inside, wanted, true), FramedPlacement::Step::Done);
  EXPECT_FALSE(p.Waiting());
  // A manager that keeps moving the window wins after a few placements.
  p.Start();
  const QRect off = wanted.translated(0, 20);
  for (int i = 0; i < FramedPlacement::kMaxPlacements; ++i)
    EXPECT_EQ(p.Next(off, off.adjusted(1, 20, -1, -5), wanted, true), FramedPlacement::Step::Place);
  EXPECT_EQ(p.Next(off, off.adjusted(1, 20, -1, -5), wanted, true), FramedPlacement::Step::Done);
  // A window that is never framed is left as placed at show.
  p.Start();
  for (int i = 0; i <= FramedPlacement::kMaxChecks; ++i) p.Next(inside, inside, wanted, true);
  EXPECT_FALSE(p.Waiting());
}

TEST(TestWindowPlace, OwnFrameIsTakenOffTheClientArea) {
  const QRect mainFrame(100, 80, 640, 480);
  EXPECT_EQ(TestWindowFrame(mainFrame), QRect(102, 104, 636, 456));
  EXPECT_EQ(TestWindowClient(mainFrame, QMargins(4, 23, 4, 4)), QRect(106, 127, 628, 429));
}

}  // namespace
