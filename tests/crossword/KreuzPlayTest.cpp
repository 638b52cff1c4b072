// Typing, revealing and how the squares look.
#include "CrosswordFixtures.h"
#include "KreuzPlay.h"

namespace {

// A puzzle with "Maison" across at board (1,1): shown squares (0,0) to (5,0).
Crossword MaisonPuzzle() {
  VokTable box;
  FillBox(box, {{"Maison", "Haus"}});
  Crossword p;
  ScriptedRandom random{0, 0, 0};
  CrosswordGenerator(p, random).NewCrossword(box, box);
  return p;
}

}  // namespace

TEST(CrosswordPlay, TypingStoresUpperCaseAndErasesEverythingElse) {
  Crossword p = MaisonPuzzle();
  EXPECT_EQ(TypeLetter(p, 1, 0, 'a'), KeyResult::Stored);
  EXPECT_EQ(p.typed[1][0], 'A');
  EXPECT_EQ(LookOfSquare(p, 1, 0).letter, "A");
  EXPECT_EQ(TypeLetter(p, 1, 0, 0xE9), KeyResult::Stored);  // é erases
  EXPECT_EQ(p.typed[1][0], ' ');
  EXPECT_EQ(LookOfSquare(p, 1, 0).letter, "");
  TypeLetter(p, 2, 0, 'Q');
  EXPECT_EQ(p.typed[2][0], 'Q');
  TypeLetter(p, 2, 0, '5');
  EXPECT_EQ(p.typed[2][0], ' ');
  TypeLetter(p, 2, 0, '_');  // between "Z" and "a": stored as it is
  EXPECT_EQ(p.typed[2][0], '_');
  TypeLetter(p, 2, 0, 8);  // Backspace
  EXPECT_EQ(p.typed[2][0], ' ');
  TypeLetter(p, 2, 0, '{');
  EXPECT_EQ(p.typed[2][0], ' ');
}

TEST(CrosswordPlay, ShadedSquaresRefuseKeysAndShowNothing) {
  Crossword p = MaisonPuzzle();
  EXPECT_EQ(TypeLetter(p, 0, 1, 'a'), KeyResult::Refused);
  EXPECT_EQ(p.typed[0][1], kFreeLetter);
  RevealLetter(p, 0, 1);
  const SquareLook look = LookOfSquare(p, 0, 1);
  EXPECT_TRUE(look.blocked);
  EXPECT_EQ(look.letter, "");
  EXPECT_EQ(look.number, 0);
}

TEST(CrosswordPlay, UntouchedSquaresLookEmptyAndKeepTheirNumber) {
  Crossword p = MaisonPuzzle();
  const SquareLook first = LookOfSquare(p, 0, 0);
  EXPECT_FALSE(first.blocked);
  EXPECT_EQ(first.number, 1);
  EXPECT_EQ(first.letter, "");
  EXPECT_EQ(LookOfSquare(p, 3, 0).number, 0);
}

// Typed letters are upper case and the vocabulary keeps its own case, so the solution view
// compares regardless of case, with the Windows-1252 rules (É is é, E is not).
TEST(CrosswordPlay, SolutionIsBlackWhereTypedRightInAnyCaseAndRedElsewhere) {
  Crossword p = MaisonPuzzle();
  RevealLetter(p, 0, 0);      // "M", revealed: the vocabulary's own letter
  TypeLetter(p, 1, 0, 'a');   // typed "A", the solution is "a"
  TypeLetter(p, 2, 0, 'x');   // wrong
  p.typed[3][0] = 's';        // as if typed in the vocabulary's case
  p.solutionShown = true;
  EXPECT_EQ(LookOfSquare(p, 0, 0).letter, "M");
  EXPECT_EQ(LookOfSquare(p, 0, 0).letterColor, kBlack);
  EXPECT_EQ(LookOfSquare(p, 1, 0).letter, "a");
  EXPECT_EQ(LookOfSquare(p, 1, 0).letterColor, kBlack);
  EXPECT_EQ(LookOfSquare(p, 2, 0).letterColor, kRed);
  EXPECT_EQ(LookOfSquare(p, 3, 0).letterColor, kBlack);
  EXPECT_EQ(LookOfSquare(p, 4, 0).letter, "o");  // left empty: solution in red
  EXPECT_EQ(LookOfSquare(p, 4, 0).letterColor, kRed);
  p.board[5][1].letter = '\xE9';  // "é" as the solution of column 4
  p.typed[4][0] = '\xC9';         // "É"
  EXPECT_EQ(LookOfSquare(p, 4, 0).letterColor, kBlack);
  p.typed[4][0] = 'E';
  EXPECT_EQ(LookOfSquare(p, 4, 0).letterColor, kRed);
  p.solutionShown = false;
  EXPECT_EQ(LookOfSquare(p, 2, 0).letter, "X");
  EXPECT_EQ(LookOfSquare(p, 2, 0).letterColor, kBlack);
}

TEST(CrosswordPlay, SolutionSpacesAreNotDrawn) {
  VokTable box;
  FillBox(box, {{"la rue", "die Strasse"}});
  Crossword p;
  ScriptedRandom random{0, 0, 0};
  CrosswordGenerator(p, random).NewCrossword(box, box);
  p.solutionShown = true;
  EXPECT_FALSE(LookOfSquare(p, 2, 0).blocked);
  EXPECT_EQ(LookOfSquare(p, 2, 0).letter, "");
  EXPECT_EQ(LookOfSquare(p, 3, 0).letter, "r");
}

TEST(CrosswordPlay, CluesLeadToTheSquareWithTheirNumber) {
  Crossword p;
  ClearCrossword(p);
  p.board[7][4].number = 5;
  p.board[2][2].number = 1;
  EXPECT_EQ(FindNumberedSquare(p.board, 5), std::make_pair(6, 3));
  EXPECT_EQ(FindNumberedSquare(p.board, 1), std::make_pair(1, 1));
  EXPECT_FALSE(FindNumberedSquare(p.board, 0));
  EXPECT_FALSE(FindNumberedSquare(p.board, 9));
}
