#include <gtest/gtest.h>

#include "TableFixtures.h"
#include "Win1252.h"

TEST(RowText, GetRowTextEndsEveryCellWithCrLf) {
  VokTable t;
  FillTable(t, {{"7A-7-1", "maison", "Haus"}, {"", "", ""}});
  EXPECT_EQ(GetRowText(t, 1), "7A-7-1\r\nmaison\r\nHaus\r\n");
  EXPECT_EQ(GetRowText(t, 2), "\r\n\r\n\r\n");
}

TEST(RowText, SetRowTextSplitsAtEveryKindOfLineBreak) {
  VokTable t;
  FillTable(t, {{"old", "old", "old"}});
  SetRowText(t, 1, "a\r\n\r\nb\r\n");
  EXPECT_EQ(t.Row(1), (VokRow{"a", " ", "b"}));
  SetRowText(t, 1, "a\rb\nc");
  EXPECT_EQ(t.Row(1), (VokRow{"a", "b", "c"}));
  SetRowText(t, 1, "a\n\rb");  // LF then CR are two breaks
  EXPECT_EQ(t.Row(1), (VokRow{"a", " ", "b"}));
}

TEST(RowText, SetRowTextEmptiesTheRowFirst) {
  VokTable t;
  FillTable(t, {{"L", "x", "y"}});
  SetRowText(t, 1, "only\r\n");
  EXPECT_EQ(t.Row(1), (VokRow{"only", "", ""}));
  SetRowText(t, 1, "");
  EXPECT_EQ(t.Row(1), (VokRow{"", "", ""}));
  SetRowText(t, 1, "\r\n\r\n\r\n");
  EXPECT_EQ(t.Row(1), (VokRow{" ", " ", " "}));
}

TEST(RowText, SetRowTextDropsExtraLinesAndStopsAtNul) {
  VokTable t;
  FillTable(t, {{}});
  SetRowText(t, 1, "1\r\n2\r\n3\r\n4\r\n5\r\n");
  EXPECT_EQ(t.Row(1), (VokRow{"1", "2", "3"}));
  SetRowText(t, 1, std::string_view("a\r\nb\0c\r\nd", 10));
  EXPECT_EQ(t.Row(1), (VokRow{"a", "b", ""}));
}

TEST(RowText, EmptyLineSpaceLeavesWordCellsAtTrimButLessonKeepsIt) {
  VokTable t;
  FillTable(t, {{}});
  SetRowText(t, 1, "\r\n\r\nb\r\n");
  TrimTable(t);
  EXPECT_EQ(t.Row(1), (VokRow{" ", "", "b"}));
}

TEST(ResetTable, WritesHeaderForEitherLanguageOrder) {
  VokTable t;
  FillTable(t, {{"a", "b", "c"}, {"d", "e", "f"}});
  ResetTable(t, 2, 2);
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.Row(0), (VokRow{"Lektion", A("Französisch"), "Deutsch"}));
  EXPECT_EQ(t.Row(1), (VokRow{}));
  EXPECT_EQ(GermanColumn(t), 2);
  EXPECT_EQ(FrenchColumn(t), 1);
  ResetTable(t, 1, 5);
  EXPECT_EQ(t.Row(0), (VokRow{"Lektion", "Deutsch", A("Französisch")}));
  EXPECT_EQ(t.RowCount(), 5);
  EXPECT_EQ(GermanColumn(t), 1);
  EXPECT_EQ(FrenchColumn(t), 2);
}

TEST(ColumnLookup, IsCaseSensitiveAndFallsBackToColumnTwo) {
  VokTable t;
  ResetTable(t, 1, 2);
  t.SetCell(1, 0, "deutsch");
  EXPECT_EQ(GermanColumn(t), 2);
  t.SetCell(1, 0, "Anything");
  EXPECT_EQ(GermanColumn(t), 2);
  EXPECT_EQ(FrenchColumn(t), 2);
}

TEST(InsertRow, ShiftsRowsDownFocusesAndMarksModified) {
  VokTable t;
  RecordingHost host;
  t.SetHost(&host);
  FillTable(t, {{"", "a", "A"}, {"", "b", "B"}});
  InsertRow(t, 2, "L\r\nx\r\nX\r\n");
  EXPECT_EQ(DataRows(t), (std::vector<VokRow>{{"", "a", "A"}, {"L", "x", "X"}, {"", "b", "B"}}));
  EXPECT_EQ(host.focusedRows, std::vector<int>{2});
  EXPECT_EQ(host.modifiedCalls, 1);
  InsertRow(t, t.RowCount(), "");  // appends
  EXPECT_EQ(t.RowCount(), 5);
  EXPECT_EQ(t.Row(4), VokRow{});
}

TEST(DeleteRow, MovesCursorAndRowsUpAndGoesToEndOnLastRow) {
  VokTable t;
  RecordingHost host;
  t.SetHost(&host);
  FillTable(t, {{"", "a", ""}, {"", "b", ""}, {"", "c", ""}});
  t.cursorRow = 3;
  DeleteRow(t, 1);
  EXPECT_EQ(t.cursorRow, 1);
  EXPECT_EQ(DataRows(t), (std::vector<VokRow>{{"", "b", ""}, {"", "c", ""}}));
  EXPECT_EQ(host.showEndCalls, 0);
  DeleteRow(t, 1);
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.cursorRow, 1);
  EXPECT_EQ(host.showEndCalls, 1);  // the cursor now stands on the last row
}

TEST(CopyRow, CopiesCellsWithoutMarkingModified) {
  VokTable a, b;
  RecordingHost host;
  b.SetHost(&host);
  FillTable(a, {{"1", "un", "eins"}});
  FillTable(b, {{"", "x", "X"}});
  CopyRowTo(a, 1, b, 1);
  AppendRowCopy(a, 1, b);
  EXPECT_EQ(DataRows(b), (std::vector<VokRow>{{"1", "un", "eins"}, {"", "x", "X"}, {"1", "un", "eins"}}));
  EXPECT_EQ(host.modifiedCalls, 0);
  AppendRowCopy(b, 2, b);  // within one table
  EXPECT_EQ(b.Row(4), (VokRow{"", "x", "X"}));
}

TEST(SwapColumns, MovesHeaderWithTheWords) {
  VokTable t;
  RecordingHost host;
  t.SetHost(&host);
  FillTable(t, {{"L", "maison", "Haus"}});
  SwapColumns(t);
  EXPECT_EQ(t.Row(1), (VokRow{"L", "Haus", "maison"}));
  EXPECT_EQ(GermanColumn(t), 1);
  EXPECT_EQ(host.modifiedCalls, 0);
}

TEST(CompactTable, RemovesRunsOfEmptyRowsKeepingOrder) {
  VokTable t;
  FillTable(t, {{"", "", ""}, {"L1", " ", ""}, {"", "a", ""}, {"", "", ""}, {"", "", " b "},
                {"", "", ""}});
  CompactTable(t);
  EXPECT_EQ(DataRows(t), (std::vector<VokRow>{{"", "a", ""}, {"", "", "b"}}));
}

TEST(CompactTable, AllEmptyLeavesOneEmptyRow) {
  VokTable t;
  FillTable(t, {{"L", "", ""}, {"", " ", "/"}, {"M", "", ""}});
  t.cursorRow = 3;
  CompactTable(t);
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.Row(1), VokRow{});
  EXPECT_EQ(t.cursorRow, 1);

  FillTable(t, {{"L", "", ""}});  // the only data row: emptied, not removed
  t.cursorRow = 1;
  CompactTable(t);
  EXPECT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.Row(1), VokRow{});
}

TEST(CompactTable, CursorEndsWhereTheLastRemovalPutIt) {
  VokTable t;
  RecordingHost host;
  t.SetHost(&host);
  FillTable(t, {{"", "a", ""}, {"", "", ""}, {"", "b", ""}, {"", "c", ""}});
  t.cursorRow = 4;
  CompactTable(t);
  EXPECT_EQ(t.cursorRow, 2);
  EXPECT_EQ(host.showEndCalls, 0);

  FillTable(t, {{"", "a", ""}, {"", "b", ""}, {"", "", ""}});
  t.cursorRow = 1;
  CompactTable(t);
  EXPECT_EQ(t.cursorRow, 2);  // removal at 3 put it past the end; it moves to the last row
  EXPECT_EQ(host.showEndCalls, 0);

  FillTable(t, {{"", "a", ""}, {"", "", ""}, {"", "b", ""}});
  CompactTable(t);
  EXPECT_EQ(t.cursorRow, 2);
  EXPECT_EQ(host.showEndCalls, 1);
}

TEST(CompactTable, CursorPastTheEndComesBackWhenNothingIsRemoved) {
  VokTable t;
  FillTable(t, {{"", "a", "b"}, {"", "c", "d"}});
  t.cursorRow = 7;
  CompactTable(t);
  EXPECT_EQ(t.RowCount(), 3);
  EXPECT_EQ(t.cursorRow, 2);
  t.cursorRow = 9;
  RemoveEmptyRows(t);
  EXPECT_EQ(t.cursorRow, 2);
}

// The one-pass compaction must agree with removing rows one by one.
TEST(CompactTable, MatchesTheRowByRowRule) {
  for (unsigned seed = 1; seed < 200; ++seed) {
    VokTable fast, slow;
    std::vector<VokRow> rows;
    unsigned x = seed;
    const int n = 1 + static_cast<int>(seed % 9);
    for (int i = 0; i < n; ++i) {
      x = x * 1103515245u + 12345u;
      rows.push_back({(x >> 8) % 2 ? "L" : "", (x >> 9) % 3 == 0 ? "w" : " ", (x >> 11) % 4 == 0 ? "m" : ""});
    }
    FillTable(fast, rows);
    FillTable(slow, rows);
    fast.cursorRow = slow.cursorRow = n;
    CompactTable(fast);

    TrimTable(slow);
    for (int r = 1; r < slow.RowCount();) {
      if (!slow.Cell(1, r).empty() || !slow.Cell(2, r).empty()) {
        ++r;
      } else if (slow.RowCount() == 2) {
        slow.SetRow(1, {});
        break;
      } else {
        DeleteRow(slow, r);
      }
    }
    if (slow.cursorRow > slow.RowCount() - 1) slow.cursorRow = slow.RowCount() - 1;
    ASSERT_EQ(DataRows(fast), DataRows(slow)) << "seed " << seed;
    ASSERT_EQ(fast.cursorRow, slow.cursorRow) << "seed " << seed;
  }
}

TEST(CompactAllBoxes, LeavesClipboardAndKeepsCurrentMarking) {
  VokDocument doc;
  FillTable(doc.Box(1), {{"", "", ""}, {"", "a", ""}});
  FillTable(doc.Box(3), {{"", "", ""}, {"", "b", ""}});
  FillTable(doc.Clipboard(), {{"", "", ""}, {"", "c", ""}});
  doc.SetCurrentPage(2);
  doc.Box(3).marked = {1, 2, 2, 2};
  CompactAllBoxes(doc);
  EXPECT_EQ(doc.Box(1).RowCount(), 2);
  EXPECT_EQ(doc.Box(3).RowCount(), 2);
  EXPECT_EQ(doc.Clipboard().RowCount(), 3);
  EXPECT_EQ(doc.Box(3).marked, (MarkedRange{1, 2, 2, 2}));
}

TEST(CountVocabRows, CountsRowsWithAWordAfterCompacting) {
  VokTable t;
  FillTable(t, {{"L", "", ""}, {"", "a", ""}, {"", "", "b"}, {"", " / ", ""}});
  EXPECT_EQ(CountVocabRows(t), 2);
  EXPECT_EQ(t.RowCount(), 3);
  ResetTable(t, 2, 2);
  EXPECT_EQ(CountVocabRows(t), 0);
}

TEST(CountAlternativesOfLength, StripsRemarksAndCountsPieces) {
  VokTable t;
  FillTable(t, {{"", "chat (m) / chatte", ""}, {"", "(la) mer/ mare", ""}, {"", "ab(c", ""},
                {"", "", "four"}});
  EXPECT_EQ(CountAlternativesOfLength(t, 4), 2);  // "chat", "mare"
  EXPECT_EQ(CountAlternativesOfLength(t, 3), 1);  // "mer"
  EXPECT_EQ(CountAlternativesOfLength(t, 6), 1);  // "chatte"
  EXPECT_EQ(CountAlternativesOfLength(t, 2), 1);  // "ab", the unclosed part dropped
}
