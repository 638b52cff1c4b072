#pragma once
// Row and table operations on a VokTable. The order of steps inside each operation is part of
// its contract: callers (files, clipboard, test, crossword) rely on it.

#include <string>
#include <string_view>

#include "VokDocument.h"
#include "VokTable.h"
#include "VokText.h"

// The three cells in column order, each followed by CR LF.
std::string GetRowText(const VokTable& t, int r);

// Empties row r, then stores the lines of text (split at CR LF, lone CR or lone LF; the text
// ends at its first NUL) into columns 0, 1, 2. An empty line is stored as a single space;
// lines after the third are dropped.
void SetRowText(VokTable& t, int r, std::string_view text);
// The same split into a row that belongs to no table yet (a reader filling rows); with utf8
// each line is converted from UTF-8 to Windows-1252 as it is stored.
void SplitRowText(std::string_view text, VokRow& cells, bool utf8 = false);

// Empties every cell, sets the row count and writes the header row.
void ResetTable(VokTable& t, int germanColumn, int rowCount);

// The word column whose title reads "Deutsch" / "Französisch" (1 or 2).
int GermanColumn(const VokTable& t);
int FrenchColumn(const VokTable& t);

// Inserts a row at r (r = RowCount appends) holding rowText; the view focuses row r and the
// document is marked modified.
void InsertRow(VokTable& t, int r, std::string_view rowText);

// Removes row r; the cursor moves to r. The caller keeps the row count at 2 or more.
void DeleteRow(VokTable& t, int r);

// Inserts a copy of src row srcRow at dst row dstRow. Does not mark the document modified.
void CopyRowTo(const VokTable& src, int srcRow, VokTable& dst, int dstRow);
void AppendRowCopy(const VokTable& src, int srcRow, VokTable& dst);

// Exchanges the whole of columns 1 and 2, header included. Not a modification.
void SwapColumns(VokTable& t);

// For every data row: the column 1 cell without its parenthesised parts, tidied, split at
// "/": the number of pieces exactly n characters long.
int CountAlternativesOfLength(const VokTable& t, int n);

// NormalizeCell on both word cells of every data row.
void TrimTable(VokTable& t);

// TrimTable, then removes every data row whose two word cells are empty, keeping one empty
// data row when none is left. Linear in the number of rows.
void CompactTable(VokTable& t);
// CompactTable without the tidying, for a table whose word cells are tidy already. In both the
// cursor row ends inside the table.
void RemoveEmptyRows(VokTable& t);

// CompactTable on the three boxes; the current table keeps its marked range.
void CompactAllBoxes(VokDocument& doc);

// CompactTable, then the number of data rows with a word in column 1 or 2.
int CountVocabRows(VokTable& t);
