#include "VokTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "TableFixtures.h"
#include "Win1252.h"

namespace {

// Hands out a fixed sequence of numbers and records every request.
struct ScriptedRandom {
  explicit ScriptedRandom(std::vector<int> sequence) : values(std::move(sequence)) {}

  std::vector<int> values;
  size_t next = 0;
  std::vector<std::pair<int, int>> requests;

  RandomSource Source() {
    return [this](int low, int high) {
      requests.emplace_back(low, high);
      return values.at(next++ % values.size());
    };
  }
};

// A box with French in column 1 and German in column 2, rows "L<i>", "fr<i>", "de<i>".
void FillBox(VokTable& box, int count) {
  std::vector<VokRow> rows;
  for (int i = 1; i <= count; ++i)
    rows.push_back({"L" + std::to_string(i), "fr" + std::to_string(i), "de" + std::to_string(i)});
  FillTable(box, rows);
}

}  // namespace

TEST(StripRemarks, DropsEveryParenthesisedPart) {
  EXPECT_EQ(StripRemarks("la maison (f)/le logis"), "la maison /le logis");
  EXPECT_EQ(StripRemarks("(m) le chat (pl. les chats)"), " le chat ");
  EXPECT_EQ(StripRemarks("a)b(c)d"), "a)bd");
  EXPECT_EQ(StripRemarks("nothing here"), "nothing here");
}

TEST(StripRemarks, UnclosedParenthesisDropsTheRest) {
  EXPECT_EQ(StripRemarks("la maison (f"), "la maison ");
  EXPECT_EQ(StripRemarks("a (b) c (d"), "a  c ");
  EXPECT_EQ(StripRemarks("(("), "");
}

TEST(AnswerMatches, AcceptsAnySubsetOfTheSolutionsAlternatives) {
  const std::string solution = "la maison (f)/le logis";
  EXPECT_TRUE(AnswerMatches("la maison", solution));
  EXPECT_TRUE(AnswerMatches("le logis", solution));
  EXPECT_TRUE(AnswerMatches("le logis/la maison", solution));
  EXPECT_TRUE(AnswerMatches("la maison (Haus)", solution));
  EXPECT_TRUE(AnswerMatches("  la   maison / le logis ", solution));
}

TEST(AnswerMatches, RejectsWrongOrIncompleteAnswers) {
  const std::string solution = "la maison (f)/le logis";
  EXPECT_FALSE(AnswerMatches("maison", solution));
  EXPECT_FALSE(AnswerMatches("la maison/la ferme", solution));
  EXPECT_FALSE(AnswerMatches("la ferme/la maison", solution));
  EXPECT_FALSE(AnswerMatches("", solution));
  EXPECT_FALSE(AnswerMatches("la maison le logis", solution));
}

TEST(AnswerMatches, CaseAndAccentsCount) {
  EXPECT_FALSE(AnswerMatches("Maison", "maison"));
  EXPECT_FALSE(AnswerMatches("ecole", A("école")));
  EXPECT_TRUE(AnswerMatches(A("école"), A("l'école/école")));
  EXPECT_FALSE(AnswerMatches("coeur", A("cœur")));
}

TEST(AnswerMatches, EmptyAnswerIsRightOnlyForAnEmptySolution) {
  EXPECT_TRUE(AnswerMatches("", ""));
  EXPECT_TRUE(AnswerMatches("", "(nur ein Hinweis)"));
  EXPECT_FALSE(AnswerMatches("etwas", ""));
}

TEST(Grading, PercentRoundsHalfToEven) {
  EXPECT_EQ(PercentRight(0, 10), 100);
  EXPECT_EQ(PercentRight(2, 10), 80);
  EXPECT_EQ(PercentRight(1, 8), 88);   // 87.5
  EXPECT_EQ(PercentRight(3, 8), 62);   // 62.5
  EXPECT_EQ(PercentRight(1, 16), 94);  // 93.75
  EXPECT_EQ(PercentRight(2, 16), 88);  // 87.5
  EXPECT_EQ(PercentRight(1, 3), 67);   // 66.67
  EXPECT_EQ(PercentRight(5, 5), 0);
}

TEST(Grading, GradeBoundsFollowTheSchoolTable) {
  const std::vector<std::pair<int, int>> bounds = {
      {100, 1}, {86, 1}, {85, 2}, {72, 2}, {71, 3}, {56, 3}, {55, 4},
      {41, 4},  {40, 5}, {26, 5}, {25, 6}, {0, 6}};
  for (const auto& [percent, grade] : bounds) EXPECT_EQ(GradeFor(percent), grade) << percent;
}

TEST(Grading, ResultLineOfTypicalTests) {
  auto line = [](int errors, int n) {
    const int percent = PercentRight(errors, n);
    return ResultLine(errors, percent, GradeFor(percent));
  };
  EXPECT_EQ(line(2, 10), "2 Fehler (80% richtig) Note: 2");
  EXPECT_EQ(line(0, 5), "0 Fehler (100% richtig) Note: 1");
  EXPECT_EQ(line(5, 5), "5 Fehler (0% richtig) Note: 6");
  EXPECT_EQ(line(1, 20), "1 Fehler (95% richtig) Note: 1");
  EXPECT_EQ(line(9, 20), "9 Fehler (55% richtig) Note: 4");
  EXPECT_EQ(line(3, 8), "3 Fehler (62% richtig) Note: 3");
}

TEST(DrawTest, SmallBoxGivesEveryRowOnceInDrawingOrder) {
  VokTable box;
  FillBox(box, 3);
  ScriptedRandom random({2, 2, 3, 2, 1});  // repeats are drawn again
  VokTest test;
  ASSERT_TRUE(DrawTest(box, {20, TestDirection::IntoGerman}, random.Source(), test));
  EXPECT_EQ(test.n, 3);
  EXPECT_EQ(test.solution.RowCount(), 4);
  EXPECT_EQ(test.solution.Row(1), (VokRow{"L2", "fr2", "de2"}));
  EXPECT_EQ(test.solution.Row(2), (VokRow{"L3", "fr3", "de3"}));
  EXPECT_EQ(test.solution.Row(3), (VokRow{"L1", "fr1", "de1"}));
  for (const auto& request : random.requests) EXPECT_EQ(request, std::make_pair(1, 3));
  EXPECT_EQ(test.marks.size(), 4u);
  EXPECT_EQ(test.result, "Ergebnis:");
}

TEST(DrawTest, DrawsDistinctRowsWithTheClockSeededSource) {
  VokTable box;
  FillBox(box, 25);
  const RandomSource random = ClockSeededRandom();
  for (int round = 0; round < 20; ++round) {
    VokTest test;
    ASSERT_TRUE(DrawTest(box, {20, TestDirection::Mixed}, random, test));
    ASSERT_EQ(test.n, 20);
    std::set<std::string> seen;
    for (int r = 1; r <= test.n; ++r) {
      seen.insert(test.solution.Cell(0, r));
      EXPECT_TRUE(test.asked[r] == 1 || test.asked[r] == 2);
    }
    EXPECT_EQ(seen.size(), 20u);
  }
}

TEST(DrawTest, AskedColumnFollowsDirectionAndColumnOrder) {
  for (int germanColumn : {1, 2}) {
    VokTable box;
    ResetTable(box, germanColumn, 3);
    const int frenchColumn = 3 - germanColumn;
    for (int r = 1; r <= 2; ++r) {
      box.SetCell(0, r, "L");
      box.SetCell(germanColumn, r, "de" + std::to_string(r));
      box.SetCell(frenchColumn, r, "fr" + std::to_string(r));
    }
    ScriptedRandom random({1, 2});
    VokTest test;
    ASSERT_TRUE(DrawTest(box, {5, TestDirection::IntoFrench}, random.Source(), test));
    EXPECT_EQ(GermanColumn(test.test), germanColumn);
    EXPECT_EQ(GermanColumn(test.solution), germanColumn);
    for (int r = 1; r <= 2; ++r) {
      EXPECT_EQ(test.asked[r], frenchColumn);
      EXPECT_EQ(test.test.Cell(frenchColumn, r), "");
      EXPECT_EQ(test.test.Cell(germanColumn, r), test.solution.Cell(germanColumn, r));
      EXPECT_EQ(test.solution.Cell(frenchColumn, r), "fr" + std::to_string(r));
    }
    random.next = 0;
    ASSERT_TRUE(DrawTest(box, {5, TestDirection::IntoGerman}, random.Source(), test));
    for (int r = 1; r <= 2; ++r) {
      EXPECT_EQ(test.asked[r], germanColumn);
      EXPECT_EQ(test.test.Cell(germanColumn, r), "");
      EXPECT_EQ(test.test.Cell(frenchColumn, r), "fr" + std::to_string(r));
    }
  }
}

TEST(DrawTest, MixedDirectionDrawsTheColumnPerQuestion) {
  VokTable box;
  FillBox(box, 4);
  // Row, column, row, column ...: rows 4, 1, 3, 2 asked in columns 2, 1, 1, 2.
  ScriptedRandom random({4, 2, 1, 1, 3, 1, 2, 2});
  VokTest test;
  ASSERT_TRUE(DrawTest(box, {5, TestDirection::Mixed}, random.Source(), test));
  ASSERT_EQ(test.n, 4);
  const int expectedRows[] = {4, 1, 3, 2};
  const int expectedCols[] = {2, 1, 1, 2};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(test.solution.Cell(0, i), "L" + std::to_string(expectedRows[i - 1]));
    EXPECT_EQ(test.asked[i], expectedCols[i - 1]);
    EXPECT_EQ(test.test.Cell(expectedCols[i - 1], i), "");
    EXPECT_EQ(test.test.Cell(3 - expectedCols[i - 1], i),
              test.solution.Cell(3 - expectedCols[i - 1], i));
  }
  EXPECT_EQ(random.requests[1], std::make_pair(1, 2));
}

TEST(DrawTest, SizeLimitsTheQuestionsAndTheFirstAskedCellIsMarked) {
  VokTable box;
  FillBox(box, 30);
  ScriptedRandom random({7, 3, 30, 1, 12, 9});
  VokTest test;
  ASSERT_TRUE(DrawTest(box, {5, TestDirection::IntoFrench}, random.Source(), test));
  EXPECT_EQ(test.n, 5);
  EXPECT_EQ(test.test.RowCount(), 6);
  EXPECT_EQ(test.solution.Cell(1, 5), "fr12");
  EXPECT_EQ(test.test.marked, (MarkedRange{1, 1, 1, 1}));
  EXPECT_EQ(box.RowCount(), 31);  // the box itself is not changed by drawing
}

TEST(DrawTest, CompactsTheBoxAndDrawsOnlyVocabularyRows) {
  VokTable box;
  FillTable(box, {{"", "", ""}, {"L1", "  un  ", ""}, {"L2", "", ""}, {"", "", "zwei"}});
  ScriptedRandom random({1, 2});
  VokTest test;
  ASSERT_TRUE(DrawTest(box, {10, TestDirection::IntoGerman}, random.Source(), test));
  EXPECT_EQ(box.RowCount(), 3);
  EXPECT_EQ(box.Row(1), (VokRow{"L1", "un", ""}));
  EXPECT_EQ(test.n, 2);
  EXPECT_EQ(random.requests.front(), std::make_pair(1, 2));
}

TEST(DrawTest, EmptyBoxGivesNoTestAndKeepsThePreviousOne) {
  VokTable box;
  FillBox(box, 2);
  ScriptedRandom random({2, 1});
  VokTest test;
  ASSERT_TRUE(DrawTest(box, {5, TestDirection::IntoFrench}, random.Source(), test));
  VokTable empty;
  FillTable(empty, {{"L", " ", ""}, {"", "", ""}});
  EXPECT_FALSE(DrawTest(empty, {5, TestDirection::IntoFrench}, random.Source(), test));
  EXPECT_EQ(empty.RowCount(), 2);
  EXPECT_EQ(test.n, 2);
  EXPECT_EQ(test.solution.Cell(1, 1), "fr2");
}

TEST(CorrectTest, MarksEachRowAndIsRepeatable) {
  VokTable box;
  FillTable(box, {{"L", "la maison (f)/le logis", "Haus"},
                  {"L", "le chat", "Katze"},
                  {"L", A("l'école"), "Schule"},
                  {"L", "", "nur deutsch"}});
  ScriptedRandom random({1, 2, 3, 4});
  VokTest test;
  ASSERT_TRUE(DrawTest(box, {5, TestDirection::IntoFrench}, random.Source(), test));
  test.test.SetCell(1, 1, " le logis /  la maison ");
  test.test.SetCell(1, 2, "le chien");
  test.test.SetCell(1, 3, "l'ecole");
  CorrectTest(test);
  EXPECT_EQ(test.marks, (std::vector<std::string>{"K", "r", "f", "f", "r"}));
  EXPECT_EQ(test.result, "2 Fehler (50% richtig) Note: 4");
  EXPECT_EQ(test.test.Cell(1, 1), "le logis/la maison");  // answers stay tidied
  CorrectTest(test);
  EXPECT_EQ(test.result, "2 Fehler (50% richtig) Note: 4");

  test.test.SetCell(1, 2, "le chat");
  test.test.SetCell(1, 3, A("l'école"));
  CorrectTest(test);
  EXPECT_EQ(test.marks, (std::vector<std::string>{"K", "r", "r", "r", "r"}));
  EXPECT_EQ(test.result, "0 Fehler (100% richtig) Note: 1");
}
