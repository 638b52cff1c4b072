#pragma once
// Word lists as CSV or TSV text: records of cells split by a separator (tab, semicolon or
// comma, found by looking at the first lines or given), quoted as RFC 4180 has it (a quoted
// cell may hold separators, doubled quotes and line breaks), in UTF-8 with or without BOM or
// in Windows-1252, as German spreadsheets write it. Flash-card programs put lines such as
// "#separator:tab", "#html:true", "#deck column:3" or "#columns:..." in front; they are
// understood, and the columns they name for note identifiers, note types, decks and tags are
// no word columns (the deck may give the lesson). A first record that names the German and
// the French column ("Deutsch", "French", ...), or only columns it knows, is the header and
// gives the column order.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ExchangeRows.h"

enum class CsvEncoding { Auto, Utf8, Windows1252 };
enum class CsvHeader { Auto, Yes, No };

// Which cell of a record holds what; -1 for none.
struct CsvColumns {
  int german = 0;
  int french = 1;
  int lesson = 2;
  int box = -1;
  bool operator==(const CsvColumns&) const = default;
};

struct CsvOptions {
  char separator = 0;  // 0: found from the text
  CsvEncoding encoding = CsvEncoding::Auto;
  CsvHeader header = CsvHeader::Auto;
  std::optional<CsvColumns> columns;  // given order; otherwise the header's, else de, fr, lesson
};

// A cell whose text Windows-1252 cannot hold as it is: replaced characters (the row is
// taken) or one without any form (the row is left out when the cell is one of its columns).
struct CsvCellIssue {
  std::size_t record = 0;
  std::size_t column = 0;
  bool unfit = false;
  std::string note;
};

// The text split into records, before the columns are mapped. Cells are Windows-1252.
struct CsvTable {
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> lines;  // line of the text each record starts on
  char separator = '\t';
  CsvEncoding encoding = CsvEncoding::Utf8;
  bool hasHeader = false;                // records[0] is the header
  CsvColumns columns;                    // from the options, the header, the file's lines, or the default
  bool htmlCells = false;                // "#html:true": cells hold HTML, shown as the text it makes
  int deckColumn = -1;                   // a flash-card program's deck ("A::B" is the lesson "A / B")
  std::vector<std::string> columnNames;  // what the file says a column is, "" when nothing
  std::vector<CsvCellIssue> issues;      // in record order
};

// Splits the text. False with a German message naming the line when it cannot be taken (an
// unclosed quote, a NUL, text that is not the encoding asked for, more records than memory
// allows).
bool ReadCsvTable(std::string_view text, const CsvOptions& options, CsvTable& table, std::string& error);

// The column a header cell names, as in CsvColumns: 0 German, 1 French, 2 lesson, 3 box, -1
// for a name not known ("Deutsch"/"German"/"de", "Französisch"/"French"/"fr",
// "Lektion"/"Lesson", "Kasten"/"Box", any case).
int HeaderColumn(std::string_view cell);

// What the cells of the given columns cannot hold, into the summary: rows left out and rows
// with replaced characters, named by their line.
void CsvIssues(const CsvTable& table, const CsvColumns& columns, ImportSummary& summary);

// The rows of the table in the given column order, the header and the rows CsvIssues leaves
// out not among them. A box cell holds 1, 2 or 3 (empty: box 1); anything else is refused with
// the line.
bool CsvRows(const CsvTable& table, const CsvColumns& columns, std::vector<ExchangeRow>& rows,
             std::string& error, ImportSummary* summary = nullptr);

// How a CSV export is written: German spreadsheets want ";" and a UTF-8 byte-order mark.
struct CsvWriteOptions {
  char separator = ';';
  bool byteOrderMark = true;
};

// RFC 4180 text of the rows: the header "Deutsch;Französisch;Lektion;Kasten", then one record
// a row, CR LF at each end, cells quoted where they hold the separator, a quote, a line break
// or a leading or trailing blank. UTF-8.
std::string WriteCsv(const std::vector<ExchangeRow>& rows, const CsvWriteOptions& options = {});

// Separator names of the command line and the dialog: "tab", ";" / "semikolon", "," / "komma".
std::optional<char> SeparatorFromName(std::string_view name);
// "--columns de,fr,lektion": the meaning of the columns in their order, "-" for one that is
// none of the four; a missing one is left empty.
std::optional<CsvColumns> ColumnsFromText(std::string_view text);
