#pragma once
// Word lists of other trainers come in and go out as plain rows: a German and a French word,
// a lesson and the box the row belongs to. The readers (KVTML, CSV/TSV) make such rows, the
// writers take them; adding them to a document follows the rules of "Lektion hinzufügen".
// What an import took and what it left out, and why, is gathered in an ImportSummary.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "StatusLine.h"
#include "VokDocument.h"

// Texts are Windows-1252, one line each.
struct ExchangeRow {
  std::string german;
  std::string french;
  std::string lesson;
  int box = 1;           // 1..3
  std::size_t line = 0;  // where the row stands in its list, for the summary; not compared
  bool operator==(const ExchangeRow& o) const {
    return german == o.german && french == o.french && lesson == o.lesson && box == o.box;
  }
};

// What an import made of a list: the rows taken and, by reason, the rows left out, the first
// few of each named; notes say what else the learner should know (languages not taken, ...).
struct ImportSummary {
  static constexpr std::size_t kNamed = 5;
  struct Group {
    std::size_t count = 0;
    std::vector<std::string> named;  // the first kNamed, Windows-1252
    void Add(std::string name);
  };
  std::size_t taken = 0;
  Group empty;      // no word in either language
  Group duplicate;  // already in its box, or twice in the list
  Group unfit;      // a character Windows-1252 cannot hold: left out
  Group replaced;   // taken, a character replaced by its obvious form
  std::vector<std::string> notes;
};

// The summary as lines of German text (Windows-1252), e.g. "12 Zeilen übernommen." and
// "2 Zeilen ausgelassen, schon vorhanden: Haus - maison, Hund - chien".
std::string SummaryText(const ImportSummary& summary);

// The largest list file taken in: reading keeps the whole file and its rows in memory, so a
// file of gigabytes is refused before it is read.
inline constexpr std::size_t kMaxExchangeFileBytes = std::size_t{64} << 20;

// The start of every message about a list refused for the memory it would need.
inline const std::string kNotReadPrefix = "Datei nicht eingelesen: ";
// The message when memory ran out while a list was read or added.
inline const std::string kOutOfMemoryText = kNotReadPrefix + "zu wenig Speicher";

// The memory a row holds: the row itself and texts too long to sit inside their strings.
std::size_t RowCost(const ExchangeRow& row);

// The rows of the document in box order (only box onlyBox when it is 1..3), header rows and
// rows blank in both word cells left out; a blank cell (the trainer keeps an empty one as a
// single space) is given as an empty text.
std::vector<ExchangeRow> DocumentRows(const VokDocument& doc, int onlyBox = 0);

// Adds the rows to their boxes as adding a lesson file does: each box's rows are staged in a
// table of their own with the box's column order, tidied (CompactTable) and appended with
// AppendRows, which skips rows blank in both word cells and rows already in the box. All
// staging happens before the first box changes. The clipboard table is not touched.
// Afterwards "Datei hinzugefügt!" in panel 2, CompactAllBoxes and box 1 is the current page.
// summary, when given, learns the rows taken, blank and already there.
void AddExchangeRows(VokDocument& doc, std::vector<ExchangeRow> rows, StatusView* status,
                     ImportSummary* summary = nullptr);

// How one cell of another list's text came into Windows-1252.
enum class CellFit {
  Exact,     // every character has its code
  Replaced,  // taken, a character replaced by its obvious form (note says which)
  Unfit,     // a character without any form (note names it): the row cannot be held
  Broken,    // not UTF-8 at all, or a NUL (note says which): the file cannot be read so
};

// One cell of UTF-8 text in its Windows-1252 form into out: CR, LF and CR LF become a blank,
// since a cell holds one line; a letter with a combining accent becomes the accented letter.
CellFit FitUtf8Cell(std::string_view utf8, std::string& out, std::string& note);
// As FitUtf8Cell, true for Exact and Replaced; problem then says what failed (German).
bool Utf8Cell(std::string_view utf8, std::string& out, std::string& problem);
// The same for a Windows-1252 cell: line breaks become a blank; a NUL is refused.
bool AnsiCell(std::string_view ansi, std::string& out, std::string& problem);

// Reads a whole list file, refusing one larger than kMaxExchangeFileBytes. False with the
// German message when it cannot be read.
bool ReadExchangeFile(const std::filesystem::path& path, std::string& bytes, std::string& error);
// Writes the bytes so that an existing file is replaced only once they are all written.
bool WriteExchangeFile(const std::filesystem::path& path, std::string_view bytes, std::string& error);

// "Zeile N: reason".
std::string LineMessage(std::size_t line, std::string_view reason);
