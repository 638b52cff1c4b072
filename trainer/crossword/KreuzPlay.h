#pragma once
// What the learner does on the board: typing, revealing single letters, and how each square
// looks. Squares are addressed by the shown grid's column and row (0..19); board square
// (column + 1, row + 1) holds the solution.

#include <optional>
#include <string>
#include <utility>

#include "Dialogs.h"
#include "KreuzCls.h"

inline constexpr Color kBlockedColor = 0xA4A0A0;  // red A0, green A0, blue A4 (0x00BBGGRR)
inline constexpr Color kBlack = 0x000000;
inline constexpr Color kRed = 0x0000FF;

enum class KeyResult { Stored, Refused };

// A key typed into a square. A blocked square refuses it (the caller beeps). A code below "A"
// or above "z" stores a space, which erases the square (digits, Backspace, accented letters);
// a to z are stored as A to Z, the signs between "Z" and "a" as they are.
KeyResult TypeLetter(Crossword& puzzle, int column, int row, unsigned char code);

// Double click: the typed letter of the square becomes its solution letter.
void RevealLetter(Crossword& puzzle, int column, int row);

struct SquareLook {
  bool blocked = true;
  int number = 0;      // 0: no number
  std::string letter;  // empty: nothing drawn
  Color letterColor = kBlack;
};

// The square as the board draws it: with the solution shown, the solution letter in black
// where the typed letter equals it regardless of letter case (Windows-1252 rules) and in red
// elsewhere; otherwise the typed letter in black, nothing where nothing was typed.
SquareLook LookOfSquare(const Crossword& puzzle, int column, int row);

// The shown column and row of the square numbered n, searched over the whole board.
std::optional<std::pair<int, int>> FindNumberedSquare(const CrosswordBoard& board, int number);
