#pragma once
// Printing of a vocabulary list: one VokTable (a box, or a table of the test) as three
// columns, lesson tag and the two word columns, under a header repeated on every page. Long
// words wrap inside their column character by character. The layout is proportional to the
// printable page, so it does not depend on the printer's resolution.

#include <string>
#include <string_view>

#include "Dialogs.h"
#include "PrintCanvas.h"
#include "PrintDialogs.h"
#include "VokTable.h"

// Shown when a print is asked for while an earlier job of the program is still open.
inline const std::string kEarlierJobRunning =
    "Ein fr\xFCherer Druckauftrag ist noch nicht beendet. \rBitte warten und neu anfordern!";

// What every print of a list needs from the window around it.
struct ListPrintSetup {
  PrintCanvas& canvas;
  Dialogs& dialogs;
  FontDesc font;         // the tables' display font; printed in black
  std::string jobTitle;  // the document's file name
};

enum class PrintRows { All, Selection };

// The layout measures in device units, computed with integer division from the printable page
// and the height of "X" in the print font.
struct ListLayout {
  int lineH;   // line step
  int L, T;    // left margin (x of the lesson column), top margin (y of the page header)
  int G;       // gap
  int R;       // right end of the header line
  int B;       // lowest allowed line position
  int X1, X2;  // x of the two word columns
  int W1, W2;  // widths available to the two word columns
};
ListLayout ComputeListLayout(int pageWidth, int pageHeight, int heightOfX);

// Prints t copies times in one job; with PrintRows::Selection only the rows of the marked
// range. Shows kEarlierJobRunning and prints nothing while an earlier job is open.
void PrintTable(const ListPrintSetup& setup, int copies, const VokTable& t, PrintRows rows);

// One copy of every row, without a dialog: the toolbar's print button and the test window's
// "Test drucken" and "Lösung drucken".
void PrintWholeTable(const ListPrintSetup& setup, const VokTable& t);

// "drucken": the print dialog (copies; the selection when rows are marked), then PrintTable.
void PrintWithDialog(const ListPrintSetup& setup, PrintDialogs& printDialogs, const VokTable& t);
