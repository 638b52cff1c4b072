#pragma once
// Word lists as CSV or TSV text: records of cells split by a separator (tab, semicolon or
// comma, found by looking at the first lines or given), quoted as RFC 4180 has it (a quoted
// cell may hold separators, doubled quotes and line breaks), in UTF-8 with or without BOM or
// in Windows-1252. Flash-card programs put lines such as "#separator:tab" or "#html:false"
// in front; they are understood. A first record whose cells name the columns ("Deutsch",
// "French", "Lektion", "Kasten", ...) is the header and gives the column order.

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

// The text split into records, before the columns are mapped. Cells are Windows-1252.
struct CsvTable {
  std::vector<std::vector<std::string>> records;
  std::vector<std::size_t> lines;  // line of the text each record starts on
  char separator = '\t';
  CsvEncoding encoding = CsvEncoding::Utf8;
  bool hasHeader = false;      // records[0] is the header
  CsvColumns columns;          // from the options, the header, or the default
  bool htmlCells = false;      // "#html:true": cells hold HTML, tags are removed
};

// Splits the text. False with a German message naming the line when it cannot be taken (an
// unclosed quote, a NUL, text that is not the encoding asked for, a character without a
// Windows-1252 form).
bool ReadCsvTable(std::string_view text, const CsvOptions& options, CsvTable& table,
                  std::string& error);

// The column a header cell names, as in CsvColumns: 0 German, 1 French, 2 lesson, 3 box, -1
// for a name not known ("Deutsch"/"German"/"de", "Französisch"/"French"/"fr",
// "Lektion"/"Lesson", "Kasten"/"Box", any case).
int HeaderColumn(std::string_view cell);

// The rows of the table in the given column order, the header left out. A box cell holds 1,
// 2 or 3 (empty: box 1); anything else is refused with the line.
bool CsvRows(const CsvTable& table, const CsvColumns& columns, std::vector<ExchangeRow>& rows,
             std::string& error);

// RFC 4180 text of the rows: the header "Deutsch,Französisch,Lektion,Kasten", then one record a
// row, CR LF at each end, cells quoted where they hold a comma, a quote or a leading or trailing
// blank. UTF-8 without BOM.
std::string WriteCsv(const std::vector<ExchangeRow>& rows);

// Separator names of the command line and the dialog: "tab", ";" / "semikolon", "," / "komma".
std::optional<char> SeparatorFromName(std::string_view name);
// "--columns de,fr,lektion": any order of the three words; a missing one is left empty.
std::optional<CsvColumns> ColumnsFromText(std::string_view text);
