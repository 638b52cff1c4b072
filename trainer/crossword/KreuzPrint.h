#pragma once
// Printing of the crossword task: page 1 the empty board with its numbers, page 2 the clues.
// The layout is in tenths of a millimetre from the top left of the printable area; the caller
// says how many device units of its printer make one tenth of a millimetre.

#include <string>

#include "KreuzCls.h"
#include "PrintCanvas.h"

inline const std::string kCrosswordJobTitle = "Kreuzwort-R\xE4tsel";

// Prints board and clues in one job; the solution letters are not printed. Clue lines that
// would run past the bottom of the printable page continue on a further page.
void PrintCrosswordTask(PrintCanvas& canvas, double unitsPerTenthMm, const Crossword& puzzle);
