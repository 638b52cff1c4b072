#pragma once
// Word lists of other trainers come in and go out as plain rows: a German and a French word,
// a lesson and the box the row belongs to. The readers (KVTML, CSV/TSV) make such rows, the
// writers take them; adding them to a document follows the rules of "Lektion hinzufügen".

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
  int box = 1;  // 1..3
  bool operator==(const ExchangeRow&) const = default;
};

// The largest list file taken in: reading keeps the whole file and its rows in memory, so a
// file of gigabytes is refused before it is read.
inline constexpr std::size_t kMaxExchangeFileBytes = std::size_t{64} << 20;

// The rows of the document in box order (only box onlyBox when it is 1..3), header rows and
// rows blank in both word cells left out.
std::vector<ExchangeRow> DocumentRows(const VokDocument& doc, int onlyBox = 0);

// Adds the rows to their boxes as adding a lesson file does: each box's rows are staged in a
// table of their own with the box's column order, tidied (CompactTable) and appended with
// AppendRows, which skips rows blank in both word cells and rows already in the box. The
// clipboard table is not touched. Afterwards "Datei hinzugefügt!" in panel 2, CompactAllBoxes
// and box 1 is the current page.
void AddExchangeRows(VokDocument& doc, const std::vector<ExchangeRow>& rows, StatusView* status);

// One cell of UTF-8 text in its Windows-1252 form into out: CR, LF and CR LF become a blank,
// since a cell holds one line. False when the text is not UTF-8, holds a NUL or a character
// Windows-1252 has no form for; problem then says which (German).
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
