// The crossword generator: passes, slots, choice of words, numbering.
#include "CrosswordFixtures.h"

namespace {

int Letters(const Crossword& p) {
  int n = 0;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y) n += p.board[x][y].blocked ? 0 : 1;
  return n;
}

// Places a word on a cleared board by hand, as the generator would.
void Put(CrosswordBoard& board, int x, int y, const std::string& word, Direction d) {
  for (size_t i = 0; i < word.size(); ++i) {
    CrosswordCell& c = d == Direction::Across ? board[x + i][y] : board[x][y + i];
    c.letter = word[i];
    c.blocked = false;
  }
  (d == Direction::Across ? board[x][y].acrossStart : board[x][y].downStart) = true;
}

struct RecordingProgress : CrosswordProgress {
  std::vector<int> maxima, positions;
  int pumps = 0, clues = 0;
  void SetProgressMax(int m) override { maxima.push_back(m); }
  void SetProgress(int p) override { positions.push_back(p); }
  void ClueAdded(const ClueRow&) override { ++clues; }
  void ProcessMessages() override { ++pumps; }
};

}  // namespace

TEST(Crossword, StartsFullyShadedWithoutClues) {
  Crossword p;
  EXPECT_EQ(Letters(p), 0);
  EXPECT_TRUE(p.clues.empty());
  EXPECT_EQ(p.board[5][5].letter, ' ');
  EXPECT_EQ(p.typed[3][3], ' ');
}

TEST(Crossword, OneWordGivesOneAcrossClueNumberedOne) {
  VokTable box;
  FillBox(box, {{"maison", "Haus"}});
  Crossword p;
  ScriptedRandom random{4, 7, 0};  // x = 5, y = 8, the only candidate
  CrosswordGenerator(p, random).NewCrossword(box, box);
  EXPECT_EQ(random.seeds, 1);
  ASSERT_EQ(p.clues.size(), 1u);
  EXPECT_EQ(p.clues[0].number, 1);
  EXPECT_EQ(DirectionText(p.clues[0].direction), "waagerecht");
  EXPECT_EQ(p.clues[0].clue, "Haus");
  EXPECT_EQ(SlotPattern(p.board, 5, 8, 6, Direction::Across), "maison");
  EXPECT_EQ(p.board[5][8].number, 1);
  EXPECT_TRUE(p.board[5][8].acrossStart);
  EXPECT_EQ(Letters(p), 6);
  EXPECT_EQ(p.typed[4][7], kFreeLetter);
}

TEST(Crossword, WordsOfElevenTwelveAndFourteenLettersAreNeverPlaced) {
  VokTable box;
  FillBox(box, {{"abcdefghijk", "elf"}, {"abcdefghijkl", "zw\xC3\xB6lf"},
                {"abcdefghijklmn", "vierzehn"}, {"abcdefghijklm", "dreizehn"}});
  for (unsigned seed = 1; seed <= 20; ++seed) {
    Crossword p;
    SeededRandom random(seed);
    CrosswordGenerator(p, random).NewCrossword(box, box);
    ASSERT_LE(p.clues.size(), 1u);
    for (const ClueRow& c : p.clues) EXPECT_EQ(c.clue, "dreizehn");
    EXPECT_EQ(Letters(p) % 13, 0);
  }
}

TEST(Crossword, AcrossSlotRejectedByLettersAboveOrBelowItsFreeSquares) {
  Crossword p;
  ClearCrossword(p);
  Put(p.board, 5, 5, "ab", Direction::Down);  // (5,5) a, (5,6) b
  // A free square of the slot with a letter below it.
  EXPECT_FALSE(SlotAccepts(p.board, 3, 4, 4, Direction::Across));
  // A free square with a letter above it.
  EXPECT_FALSE(SlotAccepts(p.board, 4, 7, 3, Direction::Across));
  // Crossing the letter itself is fine; the squares beside the crossing are not tested.
  EXPECT_TRUE(SlotAccepts(p.board, 3, 5, 4, Direction::Across));
  // The square before or after the slot holds a letter.
  EXPECT_FALSE(SlotAccepts(p.board, 6, 5, 3, Direction::Across));
  EXPECT_FALSE(SlotAccepts(p.board, 2, 6, 3, Direction::Across));
  // The frame counts as free.
  EXPECT_TRUE(SlotAccepts(p.board, 1, 20, 5, Direction::Across));
}

TEST(Crossword, DownSlotRejectedByLettersLeftOrRightOfItsFreeSquares) {
  Crossword p;
  ClearCrossword(p);
  Put(p.board, 5, 5, "ab", Direction::Across);  // (5,5) a, (6,5) b
  EXPECT_FALSE(SlotAccepts(p.board, 4, 3, 4, Direction::Down));  // (4,5) free, right of it a
  EXPECT_FALSE(SlotAccepts(p.board, 7, 4, 3, Direction::Down));  // (7,5) free, left of it b
  EXPECT_TRUE(SlotAccepts(p.board, 5, 3, 4, Direction::Down));   // crosses a
  EXPECT_FALSE(SlotAccepts(p.board, 5, 6, 3, Direction::Down));  // the square before is a
  EXPECT_FALSE(SlotAccepts(p.board, 6, 2, 3, Direction::Down));  // the square after is b
}

TEST(Crossword, SlotStartingAnotherWordOfTheSameDirectionIsRejected) {
  Crossword p;
  ClearCrossword(p);
  Put(p.board, 3, 3, "le", Direction::Across);
  EXPECT_FALSE(SlotAccepts(p.board, 3, 3, 2, Direction::Across));
  EXPECT_TRUE(SlotAccepts(p.board, 3, 3, 3, Direction::Down));
}

TEST(Crossword, TwoWordsStartingOnOneSquareShareItsNumber) {
  VokTable box;
  FillBox(box, {{"maison", "Haus"}, {"marche", "Markt"}});
  Crossword p;
  // Across at (1,1), first candidate; then down at (1,1), second of the words starting with m.
  ScriptedRandom random{0, 0, 0, 0, 0, 1};
  CrosswordGenerator(p, random).NewCrossword(box, box);
  ASSERT_EQ(p.clues.size(), 2u);
  EXPECT_EQ(p.clues[0].number, 1);
  EXPECT_EQ(p.clues[1].number, 1);
  EXPECT_EQ(p.clues[0].clue, "Haus");
  EXPECT_EQ(p.clues[1].clue, "Markt");
  EXPECT_EQ(DirectionText(p.clues[1].direction), "senkrecht");
  EXPECT_EQ(p.clueCounter, 1);
  EXPECT_EQ(SlotPattern(p.board, 1, 1, 6, Direction::Down), "marche");
  EXPECT_TRUE(p.board[1][1].acrossStart && p.board[1][1].downStart);
}

TEST(Crossword, CrossingWordsMustAgreeLetterForLetterInUpperCase) {
  EXPECT_TRUE(MatchesPattern("_a__", "xAyz"));
  EXPECT_TRUE(MatchesPattern("\xE9t\xE9", "\xC9T\xC9"));  // é matches É
  EXPECT_FALSE(MatchesPattern("e", "\xE9"));              // e does not match é
  EXPECT_TRUE(MatchesPattern("___", "abc"));
  EXPECT_FALSE(MatchesPattern("ab_", "abc") && MatchesPattern("ab_", "xbc"));
}

TEST(Crossword, SlotsWithoutCrossingsChooseAmongTidiedAlternatives) {
  VokTable box;
  FillBox(box, {{"  le chat/ chien ", "Katze/Hund"}, {"maison", "Haus"}, {"(la) rue", "Strasse"}});
  Crossword p;
  ClearCrossword(p);
  ScriptedRandom random{0, 0};
  CrosswordGenerator gen(p, random);
  gen.UseBoxes(box, box);
  // Pieces are tidied but keep their parenthesised remarks: "le chat" is the only seven-letter
  // piece, "(la) rue" counts eight.
  const auto seven = gen.ChooseCrosswordWord("#######");
  ASSERT_TRUE(seven);
  ASSERT_EQ(gen.LastCandidates().size(), 1u);
  EXPECT_EQ(seven->word, "le chat");
  EXPECT_EQ(seven->clue, "Katze/Hund");
  EXPECT_EQ(p.lastClue, "Katze/Hund");
  const auto eight = gen.ChooseCrosswordWord("########");
  ASSERT_TRUE(eight);
  EXPECT_EQ(eight->word, "(la) rue");
}

TEST(Crossword, SlotsWithLettersCompareWholeCellsUnsplit) {
  VokTable box;
  FillBox(box, {{"chat/chien", "Katze/Hund"}, {"maison", "Haus"}, {"MARCHE", "Markt"}, {"mur", "Mauer"}});
  Crossword p;
  ClearCrossword(p);
  ScriptedRandom random{1};
  CrosswordGenerator gen(p, random);
  gen.UseBoxes(box, box);
  EXPECT_FALSE(gen.ChooseCrosswordWord("c###"));  // "chat" is only a piece of its cell
  const auto chosen = gen.ChooseCrosswordWord("m#####");
  ASSERT_TRUE(chosen);
  const auto candidates = gen.LastCandidates();
  ASSERT_EQ(candidates.size(), 2u);
  EXPECT_EQ(candidates[0].word, "maison");
  EXPECT_EQ(candidates[1].word, "MARCHE");
  EXPECT_EQ(chosen->word, "MARCHE");
  EXPECT_TRUE(gen.ChooseCrosswordWord("chat#chien"));
}

TEST(Crossword, AttemptsAreCountedInBoxOneAndReportedAsProgress) {
  VokTable box1, shown;
  FillBox(box1, {});
  box1.SetRowCount(26);
  for (int r = 1; r <= 25; ++r) box1.SetCell(1, r, "abc");  // 25 attempts for length 3
  FillBox(shown, {{"rue", "Strasse"}});
  Crossword p;
  SeededRandom random(7);
  RecordingProgress progress;
  CrosswordGenerator(p, random, &progress).NewCrossword(box1, shown);
  // Ten passes set their maximum; only the pass of length 3 has attempts.
  ASSERT_EQ(progress.maxima.size(), 10u);
  EXPECT_EQ(progress.maxima[8], 25);
  EXPECT_EQ(progress.pumps, 2);  // after attempts 10 and 20
  EXPECT_EQ(progress.positions.back(), 0);  // the pass of length 2 starts at 0
  EXPECT_GE(progress.clues, 1);
  for (const ClueRow& c : p.clues) EXPECT_EQ(c.clue, "Strasse");
  EXPECT_EQ(static_cast<int>(p.clues.size()), progress.clues);
}

TEST(Crossword, ManyWordsFillTheBoardWithoutBreakingTheRules) {
  VokTable box;
  const char* words[] = {"maison", "chat", "chien", "rue", "pomme", "table", "chaise", "porte",
                         "fenetre", "voiture", "arbre", "fleur", "soleil", "lune", "mer", "eau"};
  ResetTable(box, 2, 1 + 16);
  for (int r = 0; r < 16; ++r) {
    box.SetCell(1, r + 1, words[r]);
    box.SetCell(2, r + 1, std::string("clue ") + words[r]);
  }
  Crossword p;
  SeededRandom random(3);
  CrosswordGenerator(p, random).NewCrossword(box, box);
  ASSERT_GE(p.clues.size(), 3u);
  // Numbers are given out in order, each start square holds the number of its clue rows.
  int highest = 0;
  for (const ClueRow& c : p.clues) {
    EXPECT_LE(c.number, highest + 1);
    highest = std::max(highest, c.number);
  }
  EXPECT_EQ(highest, p.clueCounter);
  for (int i = 0; i < kBoardSize; ++i) {
    // The frame never receives a letter.
    EXPECT_TRUE(p.board[0][i].blocked && p.board[21][i].blocked);
    EXPECT_TRUE(p.board[i][0].blocked && p.board[i][21].blocked);
  }
}

// The board's own marks inside a word: "_" would match any later crossing (and be overwritten
// by it), "#" would leave a white square that reads as free. Such words are never placed, so
// every white square holds a real letter and every shaded one none, whatever the layout.
TEST(Crossword, WordsHoldingTheBoardsMarksAreNeverPlaced) {
  VokTable box;
  const char* words[] = {"ws_",    "w#s",   "wsw",   "a_b/chat", "ma#son", "maison", "rue",
                         "chien",  "s_d",   "#ab",   "sol_",     "soleil", "mer",    "eau_",
                         "arbre#", "table", "chaise"};
  const int n = static_cast<int>(std::size(words));
  ResetTable(box, 2, 1 + n);
  for (int r = 0; r < n; ++r) {
    box.SetCell(1, r + 1, words[r]);
    box.SetCell(2, r + 1, std::string("clue ") + words[r]);
  }
  for (unsigned seed = 1; seed <= 40; ++seed) {
    Crossword p;
    SeededRandom random(seed);
    CrosswordGenerator(p, random).NewCrossword(box, box);
    for (int x = 1; x <= kGridSize; ++x)
      for (int y = 1; y <= kGridSize; ++y) {
        const CrosswordCell& c = p.board[x][y];
        EXPECT_NE(c.letter, '_') << seed << " at " << x << "," << y;
        EXPECT_EQ(c.blocked, c.letter == kFreeLetter) << seed << " at " << x << "," << y;
      }
    // Only "chat" of "a_b/chat" may bring a clue holding a mark.
    for (const ClueRow& c : p.clues) {
      if (c.clue != "clue a_b/chat") {
        EXPECT_EQ(c.clue.find_first_of("_#"), std::string::npos) << c.clue;
      }
    }
  }
  // The pieces of a cell stand on their own: "chat" of "a_b/chat" may still be placed, the
  // whole cell never.
  Crossword p;
  ClearCrossword(p);
  ScriptedRandom random{0, 0};
  CrosswordGenerator gen(p, random);
  gen.UseBoxes(box, box);
  const auto four = gen.ChooseCrosswordWord("####");
  ASSERT_TRUE(four);
  EXPECT_EQ(four->word, "chat");
  EXPECT_EQ(gen.LastCandidates().size(), 1u);
  const auto crossing = gen.ChooseCrosswordWord("ws#");
  ASSERT_TRUE(crossing);
  EXPECT_EQ(crossing->word, "wsw");
  EXPECT_EQ(gen.LastCandidates().size(), 1u);
}
