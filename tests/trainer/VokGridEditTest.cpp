#include <gtest/gtest.h>

#include "ScriptedDialogs.h"
#include "TableFixtures.h"
#include "VokFileFixtures.h"
#include "Win1252.h"
#include "vokGridEdit.h"

namespace {

void Mark(VokTable& t, int top, int bottom) { t.marked = {1, top, 2, bottom}; }

struct DocTest : ::testing::Test {
  VokDocument doc;
  RecordingHost host;
  RecordingStatusBar status;
  void SetUp() override {
    for (int box = 1; box <= 3; ++box) doc.Box(box).SetHost(&host);
  }
};

}  // namespace

TEST(AppendRows, FillsTheEmptyLastRowThenAppendsAndTidies) {
  VokTable src, dst;
  FillTable(src, {{"L1", " le  chat ", "Katze"}, {"L2", " ", ""}, {"L3", "chien", "Hund"}});
  RecordingStatusBar status;
  EXPECT_TRUE(AppendRows(src, 1, 3, dst, &status));
  EXPECT_EQ(DataRows(dst), (std::vector<VokRow>{{"L1", "le chat", "Katze"}, {"L3", "chien", "Hund"}}));
  EXPECT_EQ(status.texts[2], "");
}

TEST(AppendRows, AlreadyPresentIgnoresCaseButNotAccentsAndMayUseTwoRows) {
  VokTable dst;
  FillTable(dst, {{"", "\xE9" "cole", "Schule"}, {"", "chat", "Katze"}});
  VokTable src;
  FillTable(src, {{"", "\xC9" "COLE", "schule"},   // É upper-cases é: present
                  {"", "ecole", "Schule"},         // accents count: new
                  {"", "CHAT", "Schule"},          // words from two different rows: present
                  {"", "Franz\xF6sisch", "Deutsch"}});  // the header row takes part
  RecordingStatusBar status;
  EXPECT_TRUE(AppendRows(src, 1, 4, dst, &status));
  EXPECT_EQ(dst.RowCount(), 4);
  EXPECT_EQ(dst.Row(3), (VokRow{"", "ecole", "Schule"}));
  EXPECT_EQ(status.texts[2], "Zeile(n)schon vorhanden");
}

TEST(AppendRows, RowsAppendedInTheSameCallCount) {
  VokTable src, dst;
  FillTable(src, {{"1", "chat", "Katze"}, {"2", "Chat", "KATZE"}, {"3", "chat", "Katze"}});
  EXPECT_TRUE(AppendRows(src, 1, 3, dst, nullptr));
  EXPECT_EQ(DataRows(dst), (std::vector<VokRow>{{"1", "chat", "Katze"}}));
}

TEST(AppendRows, TheOverwrittenEmptyRowNoLongerCounts) {
  // Before the first row fills it, dst's empty last row holds an empty column 2 cell; after
  // that no empty cell is left, so a later row with an empty word is new.
  VokTable src, dst;
  FillTable(dst, {{"", "Haus", "maison"}, {"", "", ""}});
  FillTable(src, {{"", "Hund", "chien"}, {"", "Haus", ""}});
  EXPECT_TRUE(AppendRows(src, 1, 2, dst, nullptr));
  EXPECT_EQ(DataRows(dst), (std::vector<VokRow>{
                               {"", "Haus", "maison"}, {"", "Hund", "chien"}, {"", "Haus", ""}}));
}

TEST(AppendRows, NothingQualifyingIsFalse) {
  VokTable src, dst;
  FillTable(dst, {{"", "a", "b"}});
  FillTable(src, {{"x", "", " "}, {"", "A", "B"}});
  EXPECT_FALSE(AppendRows(src, 1, 2, dst, nullptr));
  EXPECT_EQ(dst.RowCount(), 2);
}

TEST(InsertRowsAt, PutsRowsAboveTheIndexInClipboardOrder) {
  VokTable clip, box;
  FillTable(clip, {{"", "un", "eins"}, {"", "deux", "zwei"}, {"", "trois", "drei"}});
  FillTable(box, {{"", "a", "A"}, {"", "b", "B"}, {"", "c", "C"}, {"", "d", "D"}, {"", "e", "E"}});
  RecordingHost host;
  box.SetHost(&host);
  EXPECT_TRUE(InsertRowsAt(clip, 1, 3, box, 5, nullptr));
  ASSERT_EQ(box.RowCount(), 9);
  EXPECT_EQ(box.Cell(1, 5), "un");
  EXPECT_EQ(box.Cell(1, 6), "deux");
  EXPECT_EQ(box.Cell(1, 7), "trois");
  EXPECT_EQ(box.Cell(1, 8), "e");
  EXPECT_EQ(box.Row(5)[0], " ");  // an inserted row goes through its row text
  EXPECT_EQ(host.focusedRows.back(), 5);
}

TEST(InsertRowsAt, IntoANewBoxFillsItsEmptyRowAndKeepsOrder) {
  VokTable clip, box;
  FillTable(clip, {{"", "un", "eins"}, {"", "deux", "zwei"}, {"", "un", "EINS"}});
  EXPECT_TRUE(InsertRowsAt(clip, 1, 3, box, 1, nullptr));
  // Bottom-up: the third row fills the empty row, so the first row, equal to it, is present.
  EXPECT_EQ(DataRows(box), (std::vector<VokRow>{{" ", "deux", "zwei"}, {"", "un", "EINS"}}));
}

TEST(DeleteMarkedRows, KeepsOneEmptyDataRow) {
  VokTable t;
  FillTable(t, {{"", "a", "A"}, {"", "b", "B"}, {"", "c", "C"}});
  Mark(t, 1, 3);
  DeleteMarkedRows(t);
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.Row(1), VokRow{});
  EXPECT_EQ(t.Row(0)[0], "Lektion");
}

TEST(DeleteMarkedRows, RemovesTheRangeAndKeepsTheCursorInside) {
  VokTable t;
  FillTable(t, {{"", "a", "A"}, {"", "b", "B"}, {"", "c", "C"}, {"", "d", "D"}});
  Mark(t, 2, 3);
  DeleteMarkedRows(t);
  EXPECT_EQ(DataRows(t), (std::vector<VokRow>{{"", "a", "A"}, {"", "d", "D"}}));
  EXPECT_EQ(t.cursorRow, 2);
  Mark(t, 2, 2);
  DeleteMarkedRows(t);
  EXPECT_EQ(t.cursorRow, 1);
  Mark(t, -1, -1);
  DeleteMarkedRows(t);  // nothing marked: the header never goes
  EXPECT_EQ(t.RowCount(), 2);
}

TEST(SwapMarkedCells, SwapsWordsOfMarkedRowsOnly) {
  VokTable t;
  FillTable(t, {{"1", "a", "A"}, {"2", "b", "B"}, {"3", "c", "C"}});
  Mark(t, 0, 2);
  SwapMarkedCells(t);
  EXPECT_EQ(t.Row(0), (VokRow{"Lektion", A("Französisch"), "Deutsch"}));
  EXPECT_EQ(DataRows(t), (std::vector<VokRow>{{"1", "A", "a"}, {"2", "B", "b"}, {"3", "c", "C"}}));
}

TEST_F(DocTest, MoveTakesAllMarkedRowsWhenOneArrives) {
  FillTable(doc.Box(1), {{"", "chat", "Katze"}, {"", "chien", "Hund"}, {"", "", ""}, {"", "x", "X"}});
  FillTable(doc.Box(2), {{"", "CHAT", "katze"}});
  Mark(doc.Box(1), 1, 3);
  EXPECT_TRUE(MoveMarkedRows(doc, 2, &status));
  EXPECT_EQ(DataRows(doc.Box(1)), (std::vector<VokRow>{{"", "x", "X"}}));
  EXPECT_EQ(DataRows(doc.Box(2)), (std::vector<VokRow>{{"", "CHAT", "katze"}, {"", "chien", "Hund"}}));
  EXPECT_EQ(host.modifiedCalls, 1);
}

TEST_F(DocTest, MoveOfOnlyPresentRowsChangesNothing) {
  FillTable(doc.Box(2), {{"", "chat", "Katze"}, {"", "", ""}});
  FillTable(doc.Box(3), {{"", "chat", "katze"}});
  doc.SetCurrentPage(1);
  Mark(doc.Box(2), 1, 2);
  EXPECT_FALSE(MoveMarkedRows(doc, 3, &status));
  EXPECT_EQ(doc.Box(2).RowCount(), 3);
  EXPECT_EQ(doc.Box(3).RowCount(), 2);
  EXPECT_EQ(host.modifiedCalls, 0);
  EXPECT_EQ(status.texts[2], "Zeile(n)schon vorhanden");
}

TEST_F(DocTest, MoveCopiesCellsByPositionWhateverTheHeaders) {
  FillTable(doc.Box(1), {{"L", "maison", "Haus"}});
  ResetTable(doc.Box(3), 1, 2);  // German left in box 3
  Mark(doc.Box(1), 1, 1);
  EXPECT_TRUE(MoveMarkedRows(doc, 3, nullptr));
  EXPECT_EQ(doc.Box(3).Row(1), (VokRow{"L", "maison", "Haus"}));
  EXPECT_FALSE(MoveMarkedRows(doc, 1, nullptr));  // a box never sends to itself
}

TEST(MoveTargetFromLeft, FollowsTheButtonPositions) {
  EXPECT_EQ(MoveTargetFromLeft(25), 1);
  EXPECT_EQ(MoveTargetFromLeft(153), 2);
  EXPECT_EQ(MoveTargetFromLeft(265), 3);
  EXPECT_EQ(MoveTargetFromLeft(99), 1);
  EXPECT_EQ(MoveTargetFromLeft(100), 2);
  EXPECT_EQ(MoveTargetFromLeft(299), 3);
  EXPECT_EQ(MoveTargetFromLeft(300), 0);
}

TEST_F(DocTest, CopyKeepsOneOfTwinRowsCutRemovesBoth) {
  FillTable(doc.Box(1), {{"", "chat", "Katze"}, {"", "chat", "Katze"}, {"", "chien", "Hund"}});
  ResetTable(doc.Box(1), 1, 4);  // German left, to see the clipboard take the order
  doc.Box(1).SetRow(1, {"", "Katze", "chat"});
  doc.Box(1).SetRow(2, {"", "Katze", "chat"});
  doc.Box(1).SetRow(3, {"", "Hund", "chien"});
  Mark(doc.Box(1), 1, 2);
  CopyMarkedRows(doc, &status);
  EXPECT_EQ(GermanColumn(doc.Clipboard()), 1);
  EXPECT_EQ(DataRows(doc.Clipboard()), (std::vector<VokRow>{{"", "Katze", "chat"}}));
  EXPECT_EQ(host.modifiedCalls, 0);
  CutMarkedRows(doc, &status);
  EXPECT_EQ(DataRows(doc.Box(1)), (std::vector<VokRow>{{"", "Hund", "chien"}}));
  EXPECT_EQ(host.modifiedCalls, 1);
}

TEST_F(DocTest, PasteMarksModifiedOnlyWhenSomethingArrived) {
  FillTable(doc.Clipboard(), {{"", "chat", "Katze"}});
  FillTable(doc.Box(2), {{"", "chien", "Hund"}});
  doc.SetCurrentPage(1);
  Mark(doc.Box(2), 1, 1);
  EXPECT_TRUE(PasteRows(doc, &status));
  EXPECT_GE(host.modifiedCalls, 1);
  EXPECT_EQ(doc.Box(2).Cell(1, 1), "chat");
  host.modifiedCalls = 0;
  EXPECT_FALSE(PasteRows(doc, &status));
  EXPECT_EQ(host.modifiedCalls, 0);
}

TEST_F(DocTest, DeleteAsksFirst) {
  FillTable(doc.Box(1), {{"", "a", "A"}, {"", "b", "B"}});
  Mark(doc.Box(1), 1, 1);
  ScriptedDialogs dialogs;
  dialogs.messageAnswers = {MsgResult::No, MsgResult::Yes};
  EXPECT_FALSE(DeleteMarkedRowsAsked(doc, dialogs));
  EXPECT_EQ(doc.Box(1).RowCount(), 3);
  EXPECT_TRUE(DeleteMarkedRowsAsked(doc, dialogs));
  EXPECT_EQ(DataRows(doc.Box(1)), (std::vector<VokRow>{{"", "b", "B"}}));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].text, A("Wirklich löschen?"));
  EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::YesNo);
}

TEST_F(DocTest, EmptyRowsGoAtTheTopMarkedRowOrAtTheEnd) {
  FillTable(doc.Box(1), {{"", "1", "1"}, {"", "2", "2"}, {"", "3", "3"}, {"", "4", "4"},
                         {"", "5", "5"}, {"", "6", "6"}});
  Mark(doc.Box(1), 3, 6);
  InsertEmptyRow(doc);
  EXPECT_EQ(doc.Box(1).Row(3), VokRow{});
  EXPECT_EQ(doc.Box(1).Cell(1, 4), "3");
  AppendEmptyRow(doc);
  EXPECT_EQ(doc.Box(1).RowCount(), 9);
  EXPECT_EQ(doc.Box(1).Row(8), VokRow{});
  EXPECT_GE(host.showEndCalls, 1);
  EXPECT_GE(host.modifiedCalls, 2);
}

TEST_F(DocTest, SwapMarkedVocabularyMarksModified) {
  FillTable(doc.Box(1), {{"", "a", "A"}});
  Mark(doc.Box(1), 1, 1);
  SwapMarkedVocabulary(doc);
  EXPECT_EQ(doc.Box(1).Row(1), (VokRow{"", "A", "a"}));
  EXPECT_EQ(host.modifiedCalls, 1);
}

TEST_F(DocTest, EditMenuEnablingFollowsRangeAndClipboard) {
  Mark(doc.Box(1), 3, 2);
  ResetTable(doc.Clipboard(), 1, 3);
  doc.Clipboard().SetRow(2, {"", " ", ""});
  EditMenuEnabling state = EditMenuState(doc);
  EXPECT_FALSE(state.cut || state.copy || state.del || state.paste);
  Mark(doc.Box(1), 2, 2);
  doc.Clipboard().SetRow(2, {"L", "", ""});  // a lesson tag alone makes a non-blank row
  state = EditMenuState(doc);
  EXPECT_TRUE(state.cut && state.copy && state.del && state.paste);
}

namespace {

// The "already present" rule stated directly: scan the destination as it stands.
bool PresentByScan(const VokTable& dst, const VokRow& row) {
  bool col1 = false, col2 = false;
  for (int r = 0; r < dst.RowCount(); ++r) {
    col1 = col1 || win1252::Upper(dst.Cell(1, r)) == win1252::Upper(row[1]);
    col2 = col2 || win1252::Upper(dst.Cell(2, r)) == win1252::Upper(row[2]);
  }
  return col1 && col2;
}

// AppendRows done row by row the slow way, as the reference.
void AppendRowsByScan(const VokTable& src, VokTable& dst) {
  for (int r = 1; r < src.RowCount(); ++r) {
    const VokRow& row = src.Row(r);
    if (vok::IsBlankText(row[1]) && vok::IsBlankText(row[2])) continue;
    if (PresentByScan(dst, row)) continue;
    if (!vok::IsBlankText(GetRowText(dst, dst.RowCount() - 1))) dst.SetRowCount(dst.RowCount() + 1);
    dst.SetRow(dst.RowCount() - 1, row);
  }
  TrimTable(dst);
}

}  // namespace

// Small alphabets with upper case, accents and blanks make every kind of match happen.
TEST(AppendRows, AgreesWithTheRuleOnRandomTables) {
  const std::vector<std::string> words = {"", " ", "a", "A", "\xE9", "\xC9", "e"};
  unsigned seed = 7;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  for (int round = 0; round < 3000; ++round) {
    VokTable src, dst, expected;
    const auto fill = [&](VokTable& t, int rows) {
      ResetTable(t, 2, rows + 1);
      for (int r = 1; r <= rows; ++r)
        t.SetRow(r, {next() % 2 ? "L" : "", words[next() % words.size()], words[next() % words.size()]});
    };
    fill(src, 1 + static_cast<int>(next() % 12));
    fill(dst, 1 + static_cast<int>(next() % 3));
    ResetTable(expected, 2, dst.RowCount());
    for (int r = 1; r < dst.RowCount(); ++r) expected.SetRow(r, dst.Row(r));

    AppendRows(src, 1, src.RowCount() - 1, dst, nullptr);
    AppendRowsByScan(src, expected);
    ASSERT_EQ(DataRows(dst), DataRows(expected)) << "round " << round;
  }
}

TEST(AppendRows, LargeBatchStillFindsEveryTwin) {
  VokTable src, dst;
  const int half = 3000;
  ResetTable(src, 2, 2 * half + 1);
  for (int i = 0; i < half; ++i) {
    src.SetRow(i + 1, {"", "mot" + std::to_string(i), "wort" + std::to_string(i)});
    src.SetRow(half + i + 1, {"", "MOT" + std::to_string(i), "WORT" + std::to_string(i)});
  }
  EXPECT_TRUE(AppendRows(src, 1, 2 * half, dst, nullptr));
  EXPECT_EQ(dst.RowCount(), half + 1);
  EXPECT_FALSE(AppendRows(src, 1, 2 * half, dst, nullptr));
}

namespace {

// InsertRowsAt done as the rule states it: bottom row first, a blank last row of dst filled,
// every other row put in with InsertRow at the same index, so it goes through its row text.
void InsertRowsAtByScan(const VokTable& src, int first, int last, VokTable& dst, int at) {
  for (int r = last; r >= first; --r) {
    const VokRow& row = src.Row(r);
    if (vok::IsBlankText(row[1]) && vok::IsBlankText(row[2])) continue;
    if (PresentByScan(dst, row)) continue;
    if (vok::IsBlankText(GetRowText(dst, dst.RowCount() - 1)))
      dst.SetRow(dst.RowCount() - 1, row);
    else
      InsertRow(dst, at, GetRowText(src, r));
  }
  if (last >= first) TrimTable(dst);
}

// DeleteMarkedRows done as the rule states it: the top row, once per marked row.
void DeleteMarkedRowsOneByOne(VokTable& t, int top, int bottom) {
  for (int i = 0; i < bottom - top + 1; ++i) {
    if (top == 1 && t.RowCount() == 2) t.SetRow(1, VokRow{});
    else DeleteRow(t, top);
  }
}

}  // namespace

// Lesson cells empty, blank or tagged, so that the row text an inserted row goes through
// (an empty cell comes back as a space) decides later matches.
TEST(InsertRowsAt, AgreesWithTheRuleOnRandomTables) {
  const std::vector<std::string> words = {"", " ", "a", "A", "\xE9", "\xC9", "e"};
  const std::vector<std::string> lessons = {"", " ", "L"};
  unsigned seed = 11;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) & 0x7FFF);
  };
  for (int round = 0; round < 5000; ++round) {
    VokTable src, dst, expected;
    const auto fill = [&](VokTable& t, int rows) {
      ResetTable(t, 2, rows + 1);
      for (int r = 1; r <= rows; ++r)
        t.SetRow(r, {lessons[next() % 3], words[next() % words.size()], words[next() % words.size()]});
    };
    fill(src, 1 + next() % 8);
    fill(dst, 1 + next() % 4);
    ResetTable(expected, 2, dst.RowCount());
    for (int r = 1; r < dst.RowCount(); ++r) expected.SetRow(r, dst.Row(r));
    const int at = 1 + next() % dst.RowCount();
    const int first = 1 + next() % (src.RowCount() - 1);
    const int last = first + next() % (src.RowCount() - first);

    InsertRowsAt(src, first, last, dst, at, nullptr);
    InsertRowsAtByScan(src, first, last, expected, at);
    ASSERT_EQ(DataRows(dst), DataRows(expected)) << "round " << round;
  }
}

TEST(DeleteMarkedRows, AgreesWithDeletingTheTopRowOncePerMarkedRow) {
  for (int rows = 1; rows <= 5; ++rows) {
    for (int top = 1; top <= rows; ++top) {
      for (int bottom = top; bottom <= rows; ++bottom) {
        VokTable t, expected;
        ResetTable(t, 2, rows + 1);
        ResetTable(expected, 2, rows + 1);
        for (int r = 1; r <= rows; ++r) {
          t.SetRow(r, {"", std::to_string(r), "x"});
          expected.SetRow(r, {"", std::to_string(r), "x"});
        }
        t.marked = {1, top, 2, bottom};
        DeleteMarkedRows(t);
        DeleteMarkedRowsOneByOne(expected, top, bottom);
        ASSERT_EQ(DataRows(t), DataRows(expected)) << rows << " " << top << " " << bottom;
        // The cursor stays on the table, where the last deletion left it.
        EXPECT_EQ(t.cursorRow, std::min(expected.cursorRow, expected.RowCount() - 1));
      }
    }
  }
}
