#include "KreuzPlay.h"

#include "Win1252.h"

namespace {
const CrosswordCell& CellOf(const Crossword& puzzle, int column, int row) {
  return puzzle.board.at(column + 1).at(row + 1);
}
}  // namespace

KeyResult TypeLetter(Crossword& puzzle, int column, int row, unsigned char code) {
  if (CellOf(puzzle, column, row).blocked) return KeyResult::Refused;
  char stored = ' ';
  if (code >= 'a' && code <= 'z') stored = static_cast<char>(code - 'a' + 'A');
  else if (code >= 'A' && code <= 'z') stored = static_cast<char>(code);
  puzzle.typed.at(column).at(row) = stored;
  return KeyResult::Stored;
}

void RevealLetter(Crossword& puzzle, int column, int row) {
  puzzle.typed.at(column).at(row) = CellOf(puzzle, column, row).letter;
}

SquareLook LookOfSquare(const Crossword& puzzle, int column, int row) {
  const CrosswordCell& cell = CellOf(puzzle, column, row);
  SquareLook look;
  look.blocked = cell.blocked;
  if (cell.blocked) return look;
  look.number = cell.number;
  const char typed = puzzle.typed.at(column).at(row);
  if (puzzle.solutionShown) {
    if (cell.letter != ' ') look.letter = std::string(1, cell.letter);
    // Typing gives upper case while the vocabulary keeps its own, so letters are compared as
    // the crossings compare them.
    const bool right = win1252::UpperChar(static_cast<unsigned char>(typed)) ==
                       win1252::UpperChar(static_cast<unsigned char>(cell.letter));
    look.letterColor = right ? kBlack : kRed;
  } else if (typed != kFreeLetter && typed != ' ') {
    look.letter = std::string(1, typed);
  }
  return look;
}

std::optional<std::pair<int, int>> FindNumberedSquare(const CrosswordBoard& board, int number) {
  if (number == 0) return std::nullopt;
  for (int x = 0; x < kBoardSize; ++x)
    for (int y = 0; y < kBoardSize; ++y)
      if (board[x][y].number == number) return std::make_pair(x - 1, y - 1);
  return std::nullopt;
}
