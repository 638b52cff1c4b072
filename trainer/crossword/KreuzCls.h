#pragma once
// The crossword: a 20 x 20 board inside a free frame, the learner's typed letters, the
// numbered clue list, and the generator that lays words of a box out on the board. Solution
// words come from column 1 of the box shown, their clues from column 2; the number of attempts
// of a pass is counted in box 1 ("Häufig lernen").

#include <array>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "VokTable.h"

inline constexpr char kFreeLetter = '#';  // a square without a solution letter
inline constexpr int kBoardSize = 22;     // squares 0..21; the playing area is 1..20
inline constexpr int kGridSize = 20;      // the shown grid, columns and rows 0..19

struct CrosswordCell {
  char letter = ' ';  // the solution letter, Windows-1252; kFreeLetter when free
  int number = 0;     // clue number shown in the square; 0 = none
  bool blocked = true;
  bool acrossStart = false;
  bool downStart = false;
};

// Indexed [x][y]: x the column, y the row.
using CrosswordBoard = std::array<std::array<CrosswordCell, kBoardSize>, kBoardSize>;
// Indexed [column][row] of the shown grid; kFreeLetter = nothing typed.
using TypedLetters = std::array<std::array<char, kGridSize + 1>, kGridSize + 1>;

enum class Direction { Across, Down };

struct ClueRow {
  int number = 0;
  Direction direction = Direction::Across;
  std::string clue;
};

// "waagerecht" or "senkrecht".
std::string DirectionText(Direction direction);

// Everything the crossword windows show; it lives for the whole run of the program.
struct Crossword {
  Crossword();
  CrosswordBoard board;
  TypedLetters typed;
  std::vector<ClueRow> clues;  // placement order; the task list adds one empty row below
  int clueCounter = 0;         // the last number given out
  std::string lastClue;        // the clue of the word chosen last
  bool solutionShown = false;
};

// random(m): a uniform integer from 0 to m - 1. Tests inject a fixed sequence.
class CrosswordRandom {
 public:
  virtual ~CrosswordRandom() = default;
  virtual void SeedFromClock() = 0;
  virtual int Random(int m) = 0;
};

class ClockRandom : public CrosswordRandom {
 public:
  void SeedFromClock() override;
  int Random(int m) override;

 private:
  std::mt19937 engine_{5489u};
};

// The window around a pass: the progress bar and the message loop.
class CrosswordProgress {
 public:
  virtual ~CrosswordProgress() = default;
  virtual void SetProgressMax(int max) = 0;
  virtual void SetProgress(int position) = 0;
  virtual void ClueAdded(const ClueRow& row) = 0;
  virtual void ProcessMessages() = 0;
};

struct ChosenWord {
  std::string word;
  std::string clue;
};

// True when text fits the pattern: "_" fits anything, every other character must equal the
// text's character at that position after both are upper-cased with the Windows-1252 rules.
// Lengths are the caller's concern; text must be at least as long as the pattern.
bool MatchesPattern(std::string_view pattern, std::string_view text);

// The slot test of an attempt: the squares before and after the slot free, the start square
// not yet starting a word of this direction, and every free square of the slot without a
// letter beside it across the slot's direction. Squares that hold a letter are crossings.
bool SlotAccepts(const CrosswordBoard& board, int x, int y, int length, Direction direction);

// The letters of a slot in order, kFreeLetter for free squares.
std::string SlotPattern(const CrosswordBoard& board, int x, int y, int length, Direction direction);

class CrosswordGenerator {
 public:
  CrosswordGenerator(Crossword& puzzle, CrosswordRandom& random, CrosswordProgress* progress = nullptr);

  // Builds a new puzzle: seeds the random source, clears board, typed letters and clues, then
  // runs the passes 13, 10, 9, ... 2. Lengths 11, 12 and above 13 are never used.
  void NewCrossword(const VokTable& box1, const VokTable& shown);

  // The boxes the passes and choices read; NewCrossword sets them.
  void UseBoxes(const VokTable& box1, const VokTable& shown);
  void PlaceWordsOfLength(int length);
  std::optional<ChosenWord> ChooseCrosswordWord(const std::string& pattern);

  // The candidates of the last choice, in box order (the candidate table).
  std::vector<ChosenWord> LastCandidates() const;

 private:
  struct Piece {
    std::string word;
    int row;
  };
  // Candidates of the box shown grouped by length, in box order, so an attempt looks only at
  // words of its own length: tidied alternatives for slots that cross nothing, whole column 1
  // cells for slots with letters. Words holding "_" or "#" are left out.
  struct WordIndex {
    std::unordered_map<size_t, std::vector<Piece>> pieces;
    std::unordered_map<size_t, std::vector<int>> cells;
  };

  enum class AttemptResult { Placed, NoWord, Rejected };

  void BuildIndex();
  AttemptResult Attempt(int length, Direction direction);
  void PlaceWord(int x, int y, Direction direction, const ChosenWord& chosen);
  ChosenWord Candidate(size_t i) const;

  Crossword& puzzle_;
  CrosswordRandom& random_;
  CrosswordProgress* progress_;
  const VokTable* box1_ = nullptr;
  const VokTable* shown_ = nullptr;
  WordIndex index_;
  // The last choice: its length, whether it read pieces, and the matching cell rows.
  size_t lastLength_ = 0;
  bool lastFromPieces_ = false;
  std::vector<int> matches_;
};

// Resets board, typed letters, clues and counter to the state of a fresh puzzle.
void ClearCrossword(Crossword& puzzle);
