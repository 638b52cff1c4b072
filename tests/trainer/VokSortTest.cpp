#include "vokSort.h"

#include <gtest/gtest.h>

#include <random>

#include "TableFixtures.h"
#include "Win1252.h"

namespace {

std::vector<std::string> Column(const VokTable& t, int col) {
  std::vector<std::string> out;
  for (int r = 1; r < t.RowCount(); ++r) out.push_back(t.Cell(col, r));
  return out;
}

std::vector<std::string> Ansi(std::initializer_list<const char*> utf8) {
  std::vector<std::string> out;
  for (const char* s : utf8) out.push_back(A(s));
  return out;
}

void FillWords(VokTable& t, std::initializer_list<const char*> words) {
  std::vector<VokRow> rows;
  for (const char* w : words) rows.push_back({"", A(w), "x"});
  FillTable(t, rows);
}

const SortOptions kAlphabetic{SortKind::Alphabetic, 1, SortRange::Whole};
const SortOptions kByLesson{SortKind::ByLesson, 1, SortRange::Whole};

}  // namespace

TEST(SortKeyTest, FoldsFrenchAccentsAndIgnoresCaseButNotOtherLetters) {
  const auto cmp = [](const char* x, const char* y) {
    return CompareSortKeys(std::string(1, kLessonEnd) + A(x), std::string(1, kLessonEnd) + A(y),
                           SortKind::Alphabetic);
  };
  EXPECT_EQ(cmp("école", "Ecole"), 0);
  EXPECT_LT(cmp("Ecole", "ecrire"), 0);
  EXPECT_EQ(cmp("œuf", "OEUF"), 0);
  EXPECT_EQ(cmp("ça", "CA"), 0);
  // â and the capital Œ are not folded: their codes lie above every plain letter.
  EXPECT_GT(cmp("âge", "azur"), 0);
  EXPECT_GT(cmp("Œuf", "zoo"), 0);
  EXPECT_GT(cmp("ÂGE", "zèbre"), 0);
  // Upper-casing maps the lower-case accented letters onto their capitals.
  EXPECT_EQ(cmp("âge", "ÂGE"), 0);
  EXPECT_EQ(cmp("Müde", "MÜDE"), 0);
  // A proper prefix comes first.
  EXPECT_LT(cmp("mai", "maison"), 0);
}

TEST(SortKeyTest, LessonPartEndsAtTheFirstCodeOneCharacter) {
  const auto key = [](const char* lesson, const char* word) {
    return std::string(lesson) + kLessonEnd + word;
  };
  const auto cmp = [](const std::string& x, const std::string& y) {
    return CompareSortKeys(x, y, SortKind::ByLesson);
  };
  EXPECT_LT(cmp(key("7A-7-1", "zz"), key("7A-7-10", "aa")), 0);
  EXPECT_LT(cmp(key("7A-7-10", "zz"), key("7A-7-1a", "aa")), 0);
  EXPECT_LT(cmp(key("ABC-10-1", "zz"), key("ABC-7-1", "aa")), 0);
  EXPECT_LT(cmp(key("", "zz"), key("1", "aa")), 0);
  EXPECT_EQ(cmp(key("7a-7-1", "Haus"), key("7A-7-1", "haus")), 0);
  // Alphabetic only: the lesson part plays no part.
  EXPECT_GT(CompareSortKeys(key("1", "b"), key("2", "a"), SortKind::Alphabetic), 0);
}

TEST(SortTableTest, EqualKeysComeOutInTheOrderOfTheQuicksort) {
  VokTable t;
  FillWords(t, {"école", "Ecole", "ecrire"});
  SortTable(t, kAlphabetic);
  // Pivot row 2 (ECOLE): rows 1 and 2 are exchanged; the part 2..3 then leaves them be.
  EXPECT_EQ(Column(t, 1), Ansi({"Ecole", "école", "ecrire"}));

  FillWords(t, {"Ecole", "ecrire", "école"});
  SortTable(t, kAlphabetic);
  // Pivot row 2 (ECRIRE): rows 2 and 3 are exchanged, then 1..2 holds two equal keys, which
  // are exchanged once more.
  EXPECT_EQ(Column(t, 1), Ansi({"école", "Ecole", "ecrire"}));
}

TEST(SortTableTest, AccentsAndLigaturesSortAsTheKeysSay) {
  VokTable t;
  FillWords(t, {"Œuf", "azur", "âge", "pomme", "œuf", "oeil", "zoo"});
  SortTable(t, kAlphabetic);
  const std::vector<std::string> got = Column(t, 1);
  ASSERT_EQ(got.size(), 7u);
  EXPECT_EQ(got[0], "azur");
  EXPECT_EQ(got[1], "oeil");
  EXPECT_EQ(got[2], A("œuf"));
  EXPECT_EQ(got[3], "pomme");
  EXPECT_EQ(got[4], "zoo");
  // Œ (0x8C) lies below â (0xE2, upper-cased 0xC2).
  EXPECT_EQ(got[5], A("Œuf"));
  EXPECT_EQ(got[6], A("âge"));
}

TEST(SortTableTest, ByLessonSortsTagsAsTextsWithUntaggedRowsFirst) {
  VokTable t;
  FillTable(t, {{"ABC-7-1", "b", ""},
                {"7A-7-1a", "a", ""},
                {"ABC-10-1", "c", ""},
                {"", "z", ""},
                {"7A-7-10", "a", ""},
                {"7A-7-1", "y", ""},
                {"7A-7-1", "x", ""},
                {"", "m", ""}});
  SortTable(t, kByLesson);
  EXPECT_EQ(Column(t, 0), (std::vector<std::string>{"", "", "7A-7-1", "7A-7-1", "7A-7-10",
                                                    "7A-7-1a", "ABC-10-1", "ABC-7-1"}));
  EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"m", "z", "x", "y", "a", "a", "c", "b"}));

  SortTable(t, kAlphabetic);
  const std::vector<std::string> words = Column(t, 1);
  EXPECT_TRUE(std::is_sorted(words.begin(), words.end()));
  EXPECT_EQ(t.Cell(0, 0), "Lektion");  // the header never moves
}

TEST(SortTableTest, SecondColumnSortsByItsWordsAndRowsMoveWhole) {
  VokTable t;  // German in column 2
  FillTable(t, {{"1", "maison", "Haus"}, {"2", "arbre", "Baum"}, {"3", "chat", "Katze"},
                {"4", "pomme", "Apfel"}});
  SortTable(t, {SortKind::Alphabetic, 2, SortRange::Whole});
  EXPECT_EQ(Column(t, 2), (std::vector<std::string>{"Apfel", "Baum", "Haus", "Katze"}));
  EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"pomme", "arbre", "maison", "chat"}));
  EXPECT_EQ(Column(t, 0), (std::vector<std::string>{"4", "2", "1", "3"}));
}

namespace {
// Notes the cell changes a view would be told of.
struct ChangeListener : VokTableListener {
  std::vector<std::array<int, 4>> changes;
  void BeginInsertRows(int, int) override {}
  void EndInsertRows() override {}
  void BeginRemoveRows(int, int) override {}
  void EndRemoveRows() override {}
  void BeginMoveRow(int, int) override {}
  void EndMoveRow() override {}
  void CellsChanged(int r0, int r1, int c0, int c1) override { changes.push_back({r0, r1, c0, c1}); }
  void BeginReset() override {}
  void EndReset() override {}
};
}  // namespace

TEST(SortTableTest, MarkedRangeSortsOnlyItsRowsAndTellsTheView) {
  VokTable t;
  FillWords(t, {"f", "e", "d", "c", "b", "a"});
  ChangeListener view;
  t.SetListener(&view);
  t.marked = {1, 2, 2, 4};
  SortTable(t, {SortKind::Alphabetic, 1, SortRange::Marked});
  EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"f", "c", "d", "e", "b", "a"}));
  EXPECT_EQ(view.changes, (std::vector<std::array<int, 4>>{{2, 4, 0, 2}}));
  t.SetListener(nullptr);

  t.marked = MarkedRange{};
  SortTable(t, {SortKind::Alphabetic, 1, SortRange::Marked});
  EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"f", "c", "d", "e", "b", "a"}));

  SortTable(t, kAlphabetic);
  EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));
}

TEST(SortListTest, EmptyRowsGoFirstAndAMarkedRangePastTheEndIsCut) {
  VokTable t;
  RecordingHost host;
  t.SetHost(&host);
  FillTable(t, {{"", "d", ""}, {"", "", ""}, {"", "b", ""}, {"L", "  ", ""}, {"", "c", ""},
                {"", "", ""}, {"", "a", ""}});
  t.marked = {1, 2, 2, 7};  // after compaction only rows 1..4 (d b c a) are left
  SortList(t, {SortKind::Alphabetic, 1, SortRange::Marked});
  EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"d", "a", "b", "c"}));
  ASSERT_EQ(host.focusedRows.size(), 1u);
  EXPECT_EQ(host.focusedRows[0], 2);
  EXPECT_EQ(host.modifiedCalls, 1);

  SortList(t, kAlphabetic);
  EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(SortListTest, OneDataRowChangesNothingButMarksModified) {
  VokTable t;
  RecordingHost host;
  t.SetHost(&host);
  FillTable(t, {{"7", "chat", "Katze"}});
  SortList(t, kByLesson);
  EXPECT_EQ(DataRows(t), (std::vector<VokRow>{{"7", "chat", "Katze"}}));
  EXPECT_EQ(host.modifiedCalls, 1);
  EXPECT_EQ(host.focusedRows, std::vector<int>{1});
}

namespace {

// The sort procedure with keys built afresh from the table for every comparison and rows
// exchanged whole, to check the faster SortTable against.
void ReferenceQuicksort(VokTable& t, int lo, int hi, const SortOptions& o) {
  if (lo >= hi) return;
  const std::string p = SortKeyText(t, (lo + hi) / 2, o.column);
  int i = lo, j = hi;
  while (i <= j) {
    while (CompareSortKeys(SortKeyText(t, i, o.column), p, o.kind) < 0) ++i;
    while (CompareSortKeys(SortKeyText(t, j, o.column), p, o.kind) > 0) --j;
    if (i <= j) {
      VokRow row = t.Row(i);
      t.SetRow(i, t.Row(j));
      t.SetRow(j, row);
      ++i;
      --j;
    }
  }
  ReferenceQuicksort(t, lo, j, o);
  ReferenceQuicksort(t, i, hi, o);
}

}  // namespace

TEST(SortTableTest, CarriedKeysGiveTheSameOrderAsKeysBuiltForEveryComparison) {
  // Few distinct keys and many spellings of each, so that equal keys abound.
  const std::vector<std::string> lessons = {"", "7A-7-1", "7a-7-1", "7A-7-10", "ABC"};
  const std::vector<std::string> words = Ansi({"école", "Ecole", "ecole", "ÉCOLE", "œuf", "oeuf",
                                               "OEUF", "Œuf", "âge", "azur", "a", "", "ß"});
  std::mt19937 rng(12345);
  for (int round = 0; round < 40; ++round) {
    const int n = 1 + static_cast<int>(rng() % 300);
    std::vector<VokRow> rows;
    for (int r = 0; r < n; ++r) {
      rows.push_back({lessons[rng() % lessons.size()], words[rng() % words.size()],
                      words[rng() % words.size()] + std::to_string(r)});
    }
    const SortOptions o{round % 2 ? SortKind::ByLesson : SortKind::Alphabetic, 1 + round % 3 / 2,
                        SortRange::Whole};
    VokTable fast, reference;
    FillTable(fast, rows);
    FillTable(reference, rows);
    SortTable(fast, o);
    ReferenceQuicksort(reference, 1, reference.RowCount() - 1, o);
    ASSERT_EQ(DataRows(fast), DataRows(reference)) << "round " << round;
  }
}
