#include <gtest/gtest.h>

#include "TableFixtures.h"
#include "VokSearch.h"
#include "Win1252.h"

namespace {

struct SearchTest : ::testing::Test {
  VokTable t;
  void SetUp() override {
    FillTable(t, {{"L1", A("cœur"), "Herz"},
                  {"", A("école"), "Schule"},
                  {"", "chat/chatte", "Katze"},
                  {"", A("âge"), "Alter"},
                  {"", "ECOLE", "SCHULE"},
                  {"Herz", "le chat", "die Katze"}});
  }
  std::optional<int> Find(const std::string& text, bool down = true, bool whole = false,
                          bool matchCase = false) {
    auto match = FindNext(t, {text, down, whole, matchCase});
    if (!match) return std::nullopt;
    t.marked = match->Marking();
    return match->row;
  }
};

TEST_F(SearchTest, FoldsAccentsOnBothSides) {
  EXPECT_EQ(Find("coeur"), 1);
  t.marked = {};
  EXPECT_EQ(Find(A("école")), 2);
  t.marked = {};
  EXPECT_EQ(Find("ecole"), 2);
  EXPECT_EQ(Find("ecole"), 5);  // match case off finds ECOLE too
  t.marked = {};
  EXPECT_EQ(Find("ecole", true, false, true), 2);
  EXPECT_EQ(Find("ecole", true, false, true), std::nullopt);
  t.marked = {};
  EXPECT_EQ(Find("age"), std::nullopt);  // â does not fold
  EXPECT_EQ(Find(A("âge")), 4);
}

TEST_F(SearchTest, WholeWordIsDelimitedBySpacesOnly) {
  EXPECT_EQ(Find("chat", true, true), 6);
  t.marked = {};
  EXPECT_EQ(Find("chat"), 3);
}

TEST_F(SearchTest, LessonColumnIsNotSearchedAndMarkingNamesTheMatchingCells) {
  auto match = FindNext(t, {"herz", true, false, false});
  ASSERT_TRUE(match);
  EXPECT_EQ(match->row, 1);
  EXPECT_EQ(match->Marking(), (MarkedRange{2, 1, 2, 1}));
  match = FindNext(t, {"e", true, false, false});
  EXPECT_EQ(match->Marking(), (MarkedRange{1, 1, 2, 1}));
}

TEST_F(SearchTest, StartRowAndDirection) {
  t.marked = {1, 6, 2, 6};
  EXPECT_EQ(Find("Katze"), std::nullopt);  // down from the last row: nothing
  EXPECT_EQ(t.marked, (MarkedRange{1, 6, 2, 6}));
  t.marked = {};
  EXPECT_EQ(Find("katze", false), 6);  // up with nothing marked starts at the last row
  EXPECT_EQ(Find("katze", false), 3);
  EXPECT_EQ(Find("   ", false), std::nullopt);
  EXPECT_EQ(Find("  Schule  "), 5);  // spaces around the text are trimmed
}

}  // namespace
