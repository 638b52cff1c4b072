#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTabBar>
#include <QTabWidget>
#include <set>

#include "FindDialog.h"
#include "QtText.h"
#include "RecordingPrinter.h"
#include "ScriptedDialogs.h"
#include "TableFixtures.h"
#include "MainWindowFixture.h"
#include "Vok1.h"

namespace {

TEST_F(MainWindowTest, StartsOnFirstBoxWithClipboardHiddenAndDefaultColours) {
  Open();
  EXPECT_EQ(form->windowTitle(), "Tirelo V - Vokabeltrainerin Französisch");
  EXPECT_EQ(Pages()->currentIndex(), 0);
  EXPECT_EQ(Pages()->tabText(0), "Häufig lernen");
  EXPECT_FALSE(Pages()->isTabVisible(3));
  for (int expected : {1, 2, 0}) {  // the hidden clipboard is never reached by the keyboard
    QTest::keyClick(Pages()->tabBar(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(Pages()->currentIndex(), expected);
  }
  QTest::keyClick(Pages()->tabBar(), Qt::Key_Backtab, Qt::ControlModifier);
  EXPECT_EQ(Pages()->currentIndex(), 2);
  QTest::keyClick(Pages()->tabBar(), Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_EQ(Pages()->currentIndex(), 0);
  EXPECT_EQ(form->View().background, 16755370u);
  VokGridView* grid = form->Grid(0);
  EXPECT_EQ(FromQColor(grid->palette().color(QPalette::Base)), 16755370u);
  EXPECT_EQ(FromQColor(grid->palette().color(QPalette::Text)), 16711680u);
  EXPECT_EQ(form->size(), QSize(640, 480));
  const QRect screen = form->screen()->geometry();
  EXPECT_EQ(form->x(), (screen.width() - 640) / 2);
  EXPECT_EQ(form->y(), (screen.height() - 480) / 2);
  EXPECT_EQ(form->StatusText(0), "unbenannt");
  EXPECT_EQ(form->StatusText(1), "Zeile: 1");
  // A new document: German in column 2 of each box; the clipboard has German first.
  EXPECT_EQ(GermanColumn(form->Document().Box(1)), 2);
  EXPECT_EQ(GermanColumn(form->Document().Clipboard()), 1);
}

// Each command of the list is one menu item, found under its own name, and the file and row
// commands are wired once the window is built.
TEST_F(MainWindowTest, EveryCommandOfTheListIsItsOwnMenuItem) {
  Open();
  std::set<QAction*> seen;
  for (std::size_t i = 0; i < kVokCommandCount; ++i) {
    QAction* action = form->Command(static_cast<VokCommand>(i));
    ASSERT_NE(action, nullptr) << kVokCommandNames[i];
    EXPECT_EQ(action->objectName(), kVokCommandNames[i]);
    EXPECT_EQ(form->Action(kVokCommandNames[i]), action);
    EXPECT_TRUE(seen.insert(action).second) << kVokCommandNames[i];
  }
  EXPECT_TRUE(form->Command(VokCommand::neu1)->isEnabled());
  EXPECT_FALSE(form->Command(VokCommand::speichern1)->isEnabled());
  EXPECT_TRUE(form->Command(VokCommand::Sortieren1)->isEnabled());
}

TEST_F(MainWindowTest, SizePresetsFollowTheScreenScale) {
  Open(120.0);
  EXPECT_EQ(form->size(), QSize(800, 600));  // 640 x 480 at a scale of 1.25
  form->Form640Click(2);
  EXPECT_EQ(form->size(), QSize(1000, 750));
  EXPECT_EQ(form->View().windowWidth, 800);
  form->Form640Click(1);
  EXPECT_EQ(form->size(), QSize(800, 600));
  // Row heights: |font height| x scale + 6.
  EXPECT_EQ(form->Grid(0)->verticalHeader()->defaultSectionSize(), 22);
}

TEST_F(MainWindowTest, OtherStoredWidthsKeepTheWindowSize) {
  Open();
  form->resize(700, 500);
  form->View().windowWidth = 700;
  form->ApplySizePreset();
  EXPECT_EQ(form->size(), QSize(700, 500));
}

TEST_F(MainWindowTest, ResizeSetsWordColumnsAndFirstStatusPanel) {
  Open();
  form->resize(800, 600);
  EXPECT_EQ(form->Grid(0)->columnWidth(1), 332);
  EXPECT_EQ(form->Grid(0)->columnWidth(0), 80);
}

TEST_F(MainWindowTest, SwapColumnsActsOnShownPageWithoutModifying) {
  Open();
  ShowPage(1);
  FillTable(form->Document().Box(2), {{"", "maison", "Haus"}});
  form->Command(VokCommand::Spaltenvertauschen1)->trigger();
  EXPECT_EQ(form->Document().Box(2).Row(1), (VokRow{"", "Haus", "maison"}));
  EXPECT_EQ(GermanColumn(form->Document().Box(2)), 1);
  EXPECT_EQ(GermanColumn(form->Document().Box(1)), 2);
  EXPECT_FALSE(form->IsModified());
  EXPECT_EQ(form->Grid(1)->model()->headerData(1, Qt::Horizontal).toString(), "Deutsch");
}

TEST_F(MainWindowTest, GridLinesToggleOnEveryTable) {
  Open();
  EXPECT_TRUE(form->Command(VokCommand::mitGitter)->isChecked());
  form->Command(VokCommand::mitGitter)->trigger();
  EXPECT_FALSE(form->View().gridLines);
  EXPECT_FALSE(form->Command(VokCommand::mitGitter)->isChecked());
  for (int page = 0; page < 4; ++page) EXPECT_FALSE(form->Grid(page)->showGrid());
}

TEST_F(MainWindowTest, ColourAndFontComeFromTheDialogsAndApplyToAllTables) {
  Open();
  dialogs.colorAnswers.push_back(Color{0x00FFFFFF});
  form->Command(VokCommand::Hintergrundfarbe1)->trigger();
  EXPECT_EQ(FromQColor(form->Grid(3)->palette().color(QPalette::Base)), 0x00FFFFFFu);
  dialogs.colorAnswers.push_back(std::nullopt);  // cancelled: colour stays
  form->Command(VokCommand::Hintergrundfarbe1)->trigger();
  EXPECT_EQ(form->View().background, 0x00FFFFFFu);

  FontDesc font{0x000000FF, -16, std::string(50, 'x'), 0, 12, FontStyle::Bold};
  dialogs.fontAnswers.push_back(font);
  form->Command(VokCommand::Font1)->trigger();
  EXPECT_EQ(form->View().font.name.size(), 40u);
  EXPECT_EQ(form->Grid(2)->verticalHeader()->defaultSectionSize(), 22);
  EXPECT_TRUE(form->Grid(2)->font().bold());
}

TEST_F(MainWindowTest, UnbuiltCommandsExistButAreDisabled) {
  Open();
  for (VokCommand command :
       {VokCommand::VomFTPServerffnen1, VokCommand::FTPDienststarten1, VokCommand::AufFTPServerspeichern1}) {
    ASSERT_NE(form->Command(command), nullptr) << VokCommandName(command);
    EXPECT_FALSE(form->Command(command)->isEnabled()) << VokCommandName(command);
  }
  EXPECT_EQ(form->Command(VokCommand::Lektionhinzufgen2)->shortcut(), QKeySequence(Qt::Key_F3));
  EXPECT_EQ(form->Command(VokCommand::SpalteninmarkiertenZeilenvertauschen1)->shortcut(),
            QKeySequence(Qt::Key_F8));
  EXPECT_FALSE(form->Action("KreuzwortRtsel1")->isVisible());
  EXPECT_EQ(form->Button("SaveBtn")->toolTip(), "speichern");
}

TEST_F(MainWindowTest, TitleSwapButtonExchangesOnlyTitlesAndModifies) {
  Open();
  FillTable(form->Document().Box(1), {{"", "maison", "Haus"}});
  form->ToolButton12Click();
  EXPECT_EQ(form->Document().Box(1).Row(0), (VokRow{"Lektion", "Deutsch", A("Französisch")}));
  EXPECT_EQ(form->Document().Box(1).Row(1), (VokRow{"", "maison", "Haus"}));
  EXPECT_TRUE(form->IsModified());
}

TEST_F(MainWindowTest, EndAndStartMoveTheCursorOfTheShownTable) {
  Open();
  ShowPage(2);
  FillTable(form->Document().Box(3), {{"", "a", ""}, {"", "b", ""}, {"", "c", ""}});
  form->EndeBtnClick();
  EXPECT_EQ(form->Document().Box(3).cursorRow, 3);
  EXPECT_EQ(form->StatusText(1), "Zeile: 3");
  EXPECT_EQ(form->Document().Box(1).cursorRow, 1);
  form->Pos1BtnClick();
  EXPECT_EQ(form->Document().Box(3).cursorRow, 1);
}

TEST(VokTableModel, PassesTheModelTesterThroughEveryOperation) {
  VokTable table;
  VokTableModel model(table);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  FillTable(table, {{"", "a", "A"}, {"", "", ""}, {"", "b", "B"}});
  InsertRow(table, 2, "L\r\nx\r\nX\r\n");
  table.MoveRow(1, 3);
  table.MoveRow(3, 1);
  DeleteRow(table, 2);
  SwapColumns(table);
  CompactTable(table);
  EXPECT_EQ(model.rowCount(), table.RowCount() - 1);
  EXPECT_EQ(model.index(0, 1).data().toString(), "A");
  EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Französisch");
}

}  // namespace

namespace {

TEST_F(MainWindowTest, FindMarksTheMatchInTheShownTable) {
  Open();
  ShowPage(1);
  FillTable(form->Document().Box(2), {{"", "maison", "Haus"}, {"", A("cœur"), "Herz"}});
  FillTable(form->Document().Box(1), {{"", A("cœur"), "Herz"}});
  form->Document().Box(2).marked = {};
  form->FindWindow()->SetText("coeur");
  form->FindDialog1Find();
  EXPECT_EQ(form->Document().Box(2).marked, (MarkedRange{1, 2, 1, 2}));
  EXPECT_EQ(form->Document().Box(2).cursorRow, 2);
  EXPECT_EQ(form->StatusText(1), "Zeile: 2");
  form->FindDialog1Find();  // nothing further down: marking stays
  EXPECT_EQ(form->Document().Box(2).marked, (MarkedRange{1, 2, 1, 2}));
}

TEST_F(MainWindowTest, CoveringFollowsTheLanguageAcrossColumnSwaps) {
  Open();
  form->Command(VokCommand::Deutschabdecken)->trigger();
  EXPECT_EQ(form->Grid(0)->CoveredColumn(), 2);
  form->Command(VokCommand::Spaltenvertauschen1)->trigger();
  EXPECT_EQ(form->Grid(0)->CoveredColumn(), 1);
  form->Command(VokCommand::Franzsischabdecken)->trigger();
  EXPECT_FALSE(form->Command(VokCommand::Deutschabdecken)->isChecked());
  EXPECT_EQ(form->Grid(0)->CoveredColumn(), 2);
  form->Command(VokCommand::Franzsischabdecken)->trigger();
  EXPECT_EQ(form->Grid(0)->CoveredColumn(), 0);
  EXPECT_EQ(form->Grid(3)->CoveredColumn(), 0);
}

TEST_F(MainWindowTest, WriteModeKeysMarkModifiedAndTabGrowsTheTable) {
  Open();
  form->MBtnClick(InputMode::Write);
  VokGridView* grid = form->Grid(0);
  EXPECT_EQ(grid->Mode(), InputMode::Write);
  EXPECT_EQ(form->Document().Box(1).marked, (MarkedRange{1, 1, 1, 1}));
  grid->setCurrentIndex(grid->model()->index(0, 2));
  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_EQ(form->Document().Box(1).RowCount(), 3);
  EXPECT_FALSE(form->IsModified());
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_FALSE(form->IsModified());
  QTest::keyClick(grid, Qt::Key_A);
  EXPECT_TRUE(form->IsModified());
}

TEST_F(MainWindowTest, MarkModeIgnoresTypingAndAccentButtons) {
  Open();
  VokGridView* grid = form->Grid(0);
  QTest::keyClick(grid, Qt::Key_A);
  form->FrenchBtnClick(A("ç"));
  EXPECT_FALSE(form->IsModified());
  EXPECT_EQ(form->Document().Box(1).Row(1), VokRow{});
}

}  // namespace

namespace {

TEST_F(MainWindowTest, SaveIsEnabledExactlyWhileModified) {
  Open();
  QAction* save = form->Command(VokCommand::speichern1);
  EXPECT_FALSE(save->isEnabled());
  EXPECT_FALSE(form->Button("SaveBtn")->isEnabled());
  form->Command(VokCommand::Spaltenvertauschen1)->trigger();
  EXPECT_FALSE(save->isEnabled());
  form->Command(VokCommand::Leerzeileeinfgen1)->trigger();
  EXPECT_TRUE(save->isEnabled());
  EXPECT_TRUE(form->Button("SaveBtn")->isEnabled());
  EXPECT_EQ(form->Document().Box(1).RowCount(), 3);
}

TEST_F(MainWindowTest, EditMenuEnablesPasteOnlyForANonBlankClipboard) {
  Open();
  form->Bearbeiten1Click();
  EXPECT_FALSE(form->Command(VokCommand::einfgen1)->isEnabled());
  FillTable(form->Document().Box(1), {{"", "maison", "Haus"}, {"", "chat", "Katze"}});
  form->Document().Box(1).marked = {1, 1, 2, 2};
  form->Command(VokCommand::kopieren1)->trigger();
  form->Bearbeiten1Click();
  EXPECT_TRUE(form->Command(VokCommand::einfgen1)->isEnabled());
  EXPECT_TRUE(form->Command(VokCommand::lschen1)->isEnabled());
}

TEST_F(MainWindowTest, MoveButtonsSendMarkedRowsToTheirBox) {
  Open();
  FillTable(form->Document().Box(1), {{"", "maison", "Haus"}, {"", "chat", "Katze"}});
  form->Document().Box(1).marked = {1, 2, 2, 2};
  form->Button("RechtsBtn1")->click();
  EXPECT_EQ(DataRows(form->Document().Box(3)), (std::vector<VokRow>{{"", "chat", "Katze"}}));
  EXPECT_EQ(DataRows(form->Document().Box(1)), (std::vector<VokRow>{{"", "maison", "Haus"}}));
  EXPECT_TRUE(form->IsModified());
}

TEST_F(MainWindowTest, CloseAsksToSaveAndCancelKeepsTheWindowOpen) {
  Open();
  form->Command(VokCommand::Leerzeileeinfgen1)->trigger();
  dialogs.messageAnswers.push_back(MsgResult::Cancel);
  EXPECT_FALSE(form->close());
  EXPECT_TRUE(form->isVisible());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  dialogs.messageAnswers.push_back(MsgResult::No);
  EXPECT_TRUE(form->close());
}

}  // namespace

namespace {

TEST_F(MainWindowTest, PrintButtonPrintsTheShownBoxOnce) {
  Open();
  ShowPage(2);
  FillTable(form->Document().Box(3), {{"L1", "maison", "Haus"}});
  form->Button("ToolButton1")->click();
  ASSERT_EQ(printer.jobs.size(), 1u);
  const auto texts = printer.PageTexts(0, 0);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "maison"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Haus"), texts.end());
}

}  // namespace

#include <QPushButton>

#include "VokTestDlg.h"

namespace {

TEST_F(MainWindowTest, TestItemOnAnEmptyBoxChecksItAndReportsNoVocabulary) {
  Open();
  TTestDlg testDlg(form.get());
  form->SetTestDialog(&testDlg);
  form->Command(VokCommand::N10Vokabeln1)->trigger();
  EXPECT_TRUE(form->Command(VokCommand::N10Vokabeln1)->isChecked());
  EXPECT_FALSE(form->Command(VokCommand::N5Vokabeln1)->isChecked());
  EXPECT_EQ(form->StatusText(2), "Keine Vokabeln vorhanden");
  EXPECT_FALSE(testDlg.isVisible());
  EXPECT_TRUE(testDlg.TestDruckBtn->isEnabled());
}

}  // namespace

namespace {

TEST_F(MainWindowTest, ShiftClickMarksWholeRowsInMarkMode) {
  Open();
  FillTable(form->Document().Box(1), {{"L", "a", "A"}, {"L", "b", "B"}, {"L", "c", "C"}});
  VokGridView* grid = form->Grid(0);
  const QRect first = grid->visualRect(grid->model()->index(0, 1));
  const QRect third = grid->visualRect(grid->model()->index(2, 2));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, first.center());
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, third.center());
  EXPECT_EQ(form->Document().Box(1).marked, (MarkedRange{1, 1, 2, 3}));
  EXPECT_EQ(form->Document().Box(1).cursorRow, 3);
  // A click into the lesson column does not make it current.
  const QRect lesson = grid->visualRect(grid->model()->index(1, 0));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, lesson.center());
  EXPECT_NE(grid->currentIndex().column(), 0);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, TypingThroughOpenEditorsGrowsTheTableAtTheLastCell) {
  Open();
  form->MBtnClick(InputMode::Write);
  VokGridView* grid = form->Grid(0);
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, 1));
  grid->edit(grid->currentIndex());
  // Keys go to the open cell editor, as they do when the learner types.
  const auto editor = [grid]() -> QWidget* {
    for (QLineEdit* edit : grid->viewport()->findChildren<QLineEdit*>())
      if (edit->isVisible()) return edit;
    return grid;
  };
  const auto typeInto = [&](const char* text) {
    QTest::keyClicks(editor(), text);
    QTest::keyClick(editor(), Qt::Key_Tab);
  };
  typeInto("la maison");
  typeInto("das Haus");
  typeInto("le livre");
  typeInto("das Buch");
  EXPECT_EQ(DataRows(form->Document().Box(1)),
            (std::vector<VokRow>{{"", "la maison", "das Haus"}, {"", "le livre", "das Buch"}, {}}));
  EXPECT_TRUE(form->IsModified());
  EXPECT_EQ(grid->currentIndex().row(), 2);
  EXPECT_EQ(grid->currentIndex().column(), 1);
}

}  // namespace

TEST(MessageToQ, EveryKindOfLineBreakBecomesOneLineFeed) {
  EXPECT_EQ(MessageToQ(A("früher. \rBitte")), QString::fromUtf8("früher. \nBitte"));
  EXPECT_EQ(MessageToQ("a\r\nb\nc"), QString("a\nb\nc"));
}

namespace {

TEST_F(MainWindowTest, NewDocumentClearsTheRowAndMessagePanels) {
  Open();
  FillTable(form->Document().Box(1), {{"", "a", "A"}, {"", "b", "B"}});
  form->EndeBtnClick();
  EXPECT_EQ(form->StatusText(1), "Zeile: 2");
  form->Command(VokCommand::neu1)->trigger();
  EXPECT_EQ(form->Document().Box(1).RowCount(), 2);
  EXPECT_EQ(form->StatusText(0), "unbenannt");
  EXPECT_EQ(form->StatusText(1), "");
  EXPECT_EQ(form->StatusText(2), "");
}

}  // namespace
