#pragma once
// Editing whole rows of the boxes: the row transfers that never bring a word pair twice into a
// table, deleting and swapping the marked rows, moving them to another box, and the commands of
// the "Bearbeiten" menu built on them. Every command works on the document's current table and
// uses only the top and bottom row of its marked range.

#include "Dialogs.h"
#include "StatusLine.h"
#include "VokDocument.h"
#include "VokTable.h"

// Status text of panel 2 when a transfer skipped rows the destination already holds.
inline const std::string kRowsAlreadyPresent = "Zeile(n)schon vorhanden";

// Appends the rows first..last of src to the end of dst, skipping rows blank in both word cells
// and rows already present in dst (both word texts found, case-insensitively, somewhere in
// dst's matching columns, header included; rows appended in this call count). A blank last
// row of dst is filled instead of being left behind. True when at least one row was appended.
// status may be null.
bool AppendRows(const VokTable& src, int first, int last, VokTable& dst, StatusView* status);

// Inserts the qualifying rows first..last of src into dst at row index at, in their order in
// src. When dst ends with a blank row, the last qualifying row of src fills it instead.
bool InsertRowsAt(const VokTable& src, int first, int last, VokTable& dst, int at,
                  StatusView* status);

// Deletes the marked rows; the table always keeps its header and one data row.
void DeleteMarkedRows(VokTable& t);

// Exchanges the two word cells of every marked row; the header stays.
void SwapMarkedCells(VokTable& t);

// Moves the marked rows of the current box to box targetBox (1..3): they are appended there
// and, when at least one was appended, all of them leave the current box and the document is
// marked modified. True when the rows moved; the caller then sets the target's row heights.
bool MoveMarkedRows(VokDocument& doc, int targetBox, StatusView* status);

// The box a move button sends to, from its left edge on the page's toolbar: below 100 pixels
// box 1, below 200 box 2, below 300 box 3; 0 for any other position.
int MoveTargetFromLeft(int left);

// What the "Bearbeiten" menu enables when it opens.
struct EditMenuEnabling {
  bool cut = false;
  bool copy = false;
  bool paste = false;
  bool del = false;
};
EditMenuEnabling EditMenuState(VokDocument& doc);

// The "Bearbeiten" commands on the current table.
void CopyMarkedRows(VokDocument& doc, StatusView* status);          // "Zeilen kopieren"
void CutMarkedRows(VokDocument& doc, StatusView* status);           // "Zeilen ausschneiden"
bool PasteRows(VokDocument& doc, StatusView* status);               // "Zeilen einfügen"
bool DeleteMarkedRowsAsked(VokDocument& doc, Dialogs& dialogs);     // "Zeilen löschen"
void InsertEmptyRow(VokDocument& doc);                              // "leere Zeile einfügen"
void AppendEmptyRow(VokDocument& doc);                              // "leere Zeile anhängen"
void SwapMarkedVocabulary(VokDocument& doc);                        // "markierte Vokabeln vertauschen"

// The confirmation asked before deleting rows.
inline const std::string kReallyDelete = "Wirklich l\xF6schen?";
