#include "CsvList.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "HtmlText.h"
#include "Win1252.h"
#include "vokdisk.h"

namespace {

constexpr std::array<char, 3> kSeparators = {'\t', ';', ','};
constexpr std::size_t kSampleRecords = 20;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

size_t LineOf(std::string_view text, size_t pos, size_t firstLine) {
  return firstLine + static_cast<size_t>(std::count(text.begin(), text.begin() + pos, '\n'));
}

// The lines "#key:value" flash-card programs write before the records.
struct Preamble {
  size_t end = 0;  // where the records start
  size_t lines = 0;
  std::optional<char> separator;
  bool html = false;
  std::optional<std::string> columns;  // the "#columns:" names, split later
  int deck = -1;                       // columns from 0, -1 for none
  int notetype = -1;
  int guid = -1;
  int tags = -1;
};

std::optional<char> AnkiSeparator(std::string_view value) {
  const std::string v = Lower(Trim(value));
  if (v == "tab") return '\t';
  if (v == "comma") return ',';
  if (v == "semicolon") return ';';
  if (v == "pipe") return '|';
  if (v == "space") return ' ';
  if (v == "colon") return ':';
  if (v.size() == 1) return v[0];
  return std::nullopt;
}

// "3" is column 2 from 0; anything else no column.
int ColumnNumber(std::string_view value) {
  const std::string v(Trim(value));
  if (v.empty() || v.size() > 3 || !std::all_of(v.begin(), v.end(), ::isdigit)) return -1;
  return std::stoi(v) - 1;
}

Preamble ReadPreamble(std::string_view text) {
  Preamble p;
  while (p.end < text.size() && text[p.end] == '#') {
    size_t eol = text.find('\n', p.end);
    if (eol == std::string_view::npos) eol = text.size();
    const std::string_view line = text.substr(p.end + 1, eol - p.end - 1);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) break;
    const std::string key = Lower(Trim(line.substr(0, colon)));
    const std::string_view value = line.substr(colon + 1);
    static const std::array<std::string_view, 10> kKeys = {
        "separator",       "html",        "columns", "deck column", "tags column",
        "notetype column", "guid column", "deck",    "notetype",    "tags"};
    if (std::find(kKeys.begin(), kKeys.end(), key) == kKeys.end()) break;
    if (key == "separator") p.separator = AnkiSeparator(value);
    if (key == "html") p.html = Lower(Trim(value)) == "true";
    if (key == "columns") p.columns = std::string(Trim(value));
    if (key == "deck column") p.deck = ColumnNumber(value);
    if (key == "notetype column") p.notetype = ColumnNumber(value);
    if (key == "guid column") p.guid = ColumnNumber(value);
    if (key == "tags column") p.tags = ColumnNumber(value);
    p.end = eol < text.size() ? eol + 1 : eol;
    ++p.lines;
  }
  return p;
}

// How often each separator stands outside quotes in each of the first records.
char DetectSeparator(std::string_view text) {
  std::array<std::vector<int>, kSeparators.size()> counts;
  std::array<int, kSeparators.size()> now{};
  bool quoted = false;
  size_t records = 0;
  for (size_t i = 0; i < text.size() && records < kSampleRecords; ++i) {
    const char c = text[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n') {
      for (size_t k = 0; k < kSeparators.size(); ++k) counts[k].push_back(now[k]);
      ++records;
      now.fill(0);
      continue;
    }
    for (size_t k = 0; k < kSeparators.size(); ++k)
      if (c == kSeparators[k]) ++now[k];
  }
  if (std::any_of(now.begin(), now.end(), [](int n) { return n > 0; }))
    for (size_t k = 0; k < kSeparators.size(); ++k) counts[k].push_back(now[k]);
  // The first separator that splits every line the same way wins; else the most frequent.
  for (size_t k = 0; k < kSeparators.size(); ++k) {
    const auto& c = counts[k];
    if (!c.empty() && c.front() > 0 &&
        std::all_of(c.begin(), c.end(), [&](int n) { return n == c.front() || n == 0; }))
      return kSeparators[k];
  }
  size_t best = 0;
  int bestTotal = 0;
  for (size_t k = 0; k < kSeparators.size(); ++k) {
    int total = 0;
    for (int n : counts[k]) total += n;
    if (total > bestTotal) best = k, bestTotal = total;
  }
  return kSeparators[best];
}

// Splits the records; raw cells keep their bytes (conversion follows).
bool SplitRecords(std::string_view text, char sep, size_t firstLine, CsvTable& table, std::string& error) {
  std::vector<std::string> record;
  std::string cell;
  size_t line = firstLine;
  size_t recordLine = line;
  bool quoted = false, wasQuoted = false;
  size_t quoteLine = 0;
  // Memory follows the records, not the bytes: a file of tiny cells would take many times its
  // size, so the records and the rows made of them keep within the budget of one file read.
  VokReadBudget budget(kVokReadBudget);
  bool tooLarge = false;
  const auto endRecord = [&] {
    record.push_back(std::move(cell));
    cell.clear();
    wasQuoted = false;
    const bool empty = record.size() == 1 && record[0].empty();
    const size_t cost =
        sizeof(record) + sizeof(size_t) + sizeof(ExchangeRow) + record.size() * sizeof(std::string);
    if (!empty && !budget.Take(cost)) tooLarge = true;
    if (!empty && !tooLarge) {
      table.records.push_back(std::move(record));
      table.lines.push_back(recordLine);
    }
    record.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          cell.push_back('"');
          ++i;
        } else {
          quoted = false;
        }
      } else {
        if (c == '\n') ++line;
        cell.push_back(c);
      }
      continue;
    }
    if (c == '"' && cell.empty() && !wasQuoted) {
      quoted = wasQuoted = true;
      quoteLine = line;
    } else if (c == sep) {
      record.push_back(std::move(cell));
      cell.clear();
      wasQuoted = false;
    } else if (c == '\n') {
      endRecord();
      if (tooLarge) break;
      recordLine = ++line;
    } else if (c == '\r' && (i + 1 == text.size() || text[i + 1] == '\n')) {
      // the CR of a CR LF
    } else {
      cell.push_back(c);
    }
  }
  if (tooLarge) {
    error = LineMessage(recordLine, A("zu viele Zeilen für den Speicher"));
    return false;
  }
  if (quoted) {
    error = LineMessage(quoteLine, A("Anführungszeichen nicht geschlossen"));
    return false;
  }
  if (!cell.empty() || !record.empty()) endRecord();
  if (tooLarge) {
    error = LineMessage(recordLine, A("zu viele Zeilen für den Speicher"));
    return false;
  }
  return true;
}

// Each cell in Windows-1252; HTML cells as the text they show. A cell Windows-1252 cannot
// hold as it is becomes an issue of the table; text not in the encoding refuses the file.
bool ConvertCells(CsvTable& table, std::string& error) {
  std::string out, note, utf8;
  for (size_t r = 0; r < table.records.size(); ++r)
    for (size_t c = 0; c < table.records[r].size(); ++c) {
      std::string& cell = table.records[r][c];
      CellFit fit = CellFit::Exact;
      if (table.encoding == CsvEncoding::Windows1252 && !table.htmlCells) {
        if (!AnsiCell(cell, out, note)) fit = CellFit::Broken;
      } else {
        utf8 = table.encoding == CsvEncoding::Windows1252 ? win1252::ToUtf8(cell) : cell;
        if (table.htmlCells) utf8 = PlainFromHtml(utf8);
        fit = FitUtf8Cell(utf8, out, note);
      }
      if (fit == CellFit::Broken) {
        error = LineMessage(table.lines[r], note);
        return false;
      }
      if (fit != CellFit::Exact) table.issues.push_back({r, c, fit == CellFit::Unfit, note});
      cell.swap(out);
    }
  return true;
}

// The columns a header record names; nullopt when it is no header. A header names the German
// and the French column (other cells may be anything), or names only columns it knows and at
// least one word column; a header the learner asked for (must) needs one word column.
std::optional<CsvColumns> HeaderColumns(const std::vector<std::string>& cells, bool must) {
  CsvColumns cols{-1, -1, -1, -1};
  bool unknown = false;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (Trim(cells[i]).empty()) continue;
    const int which = HeaderColumn(cells[i]);
    if (which < 0) {
      unknown = true;
      continue;
    }
    int* slot[] = {&cols.german, &cols.french, &cols.lesson, &cols.box};
    if (*slot[which] >= 0) return std::nullopt;
    *slot[which] = static_cast<int>(i);
  }
  const bool bothWords = cols.german >= 0 && cols.french >= 0;
  const bool anyWord = cols.german >= 0 || cols.french >= 0;
  if (bothWords || (anyWord && (must || !unknown))) return cols;
  return std::nullopt;
}

// The order when nothing names the columns: German, French and lesson in the first columns
// that hold no note identifier, note type, deck or tags; the deck column gives the lesson.
CsvColumns DefaultColumns(const Preamble& pre, size_t columns) {
  std::vector<int> words;
  for (int c = 0; words.size() < 3; ++c) {
    if (c == pre.deck || c == pre.notetype || c == pre.guid || c == pre.tags) continue;
    if (static_cast<size_t>(c) >= columns && words.size() >= 2) break;
    words.push_back(c);
  }
  CsvColumns cols{words[0], words[1], words.size() > 2 ? words[2] : -1, -1};
  if (pre.deck >= 0) cols.lesson = pre.deck;
  return cols;
}

// The names of the columns as the file gives them: "#columns:" or the header, and the roles
// of the flash-card columns.
void NameColumns(CsvTable& table, const Preamble& pre, const std::vector<std::string>* names) {
  size_t count = 0;
  for (const auto& record : table.records) count = std::max(count, record.size());
  table.columnNames.assign(count, std::string());
  if (names)
    for (size_t c = 0; c < names->size() && c < count; ++c) table.columnNames[c] = (*names)[c];
  const std::pair<int, const char*> roles[] = {
      {pre.guid, "GUID"}, {pre.notetype, "Notiztyp"}, {pre.deck, "Stapel"}, {pre.tags, "Schlagw\xF6rter"}};
  for (const auto& [column, role] : roles)
    if (column >= 0 && static_cast<size_t>(column) < count)
      table.columnNames[static_cast<size_t>(column)] = role;
}

// The records a row is not made of, sorted; the summary learns them and the replaced cells.
std::vector<size_t> LeftOut(const CsvTable& table, const CsvColumns& columns, ImportSummary& summary) {
  std::vector<size_t> out;
  const auto used = [&](size_t c) {
    const int col = static_cast<int>(c);
    return col == columns.german || col == columns.french || col == columns.lesson;
  };
  for (size_t k = 0; k < table.issues.size();) {
    const size_t r = table.issues[k].record;
    const CsvCellIssue* unfit = nullptr;
    const CsvCellIssue* replaced = nullptr;
    for (; k < table.issues.size() && table.issues[k].record == r; ++k) {
      const CsvCellIssue& issue = table.issues[k];
      if (!used(issue.column)) continue;
      if (issue.unfit && !unfit) unfit = &issue;
      if (!issue.unfit && !replaced) replaced = &issue;
    }
    if (table.hasHeader && r == 0) continue;
    const std::string line = "Zeile " + std::to_string(table.lines[r]);
    if (unfit) {
      summary.unfit.Add(line + " (" + unfit->note + ")");
      out.push_back(r);
    } else if (replaced) {
      summary.replaced.Add(line + " (" + replaced->note + ")");
    }
  }
  return out;
}

}  // namespace

int HeaderColumn(std::string_view cell) {
  const std::string name = Lower(Trim(cell));
  if (name == "deutsch" || name == "german" || name == "de") return 0;
  if (name == "franz\xF6sisch" || name == "franz\xD6sisch" || name == "french" || name == "fr" ||
      name == "franzoesisch")
    return 1;
  if (name == "lektion" || name == "lesson") return 2;
  if (name == "kasten" || name == "box") return 3;
  return -1;
}

bool ReadCsvTable(std::string_view text, const CsvOptions& options, CsvTable& table, std::string& error) {
  table = CsvTable{};
  table.encoding = options.encoding;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
    if (table.encoding == CsvEncoding::Auto) table.encoding = CsvEncoding::Utf8;
  }
  if (const size_t nul = text.find('\0'); nul != std::string_view::npos) {
    error = LineMessage(LineOf(text, nul, 1), "Nullzeichen in der Datei");
    return false;
  }
  if (table.encoding == CsvEncoding::Auto) {
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    table.encoding = ascii || win1252::IsValidUtf8(text) ? CsvEncoding::Utf8 : CsvEncoding::Windows1252;
  }
  const Preamble pre = ReadPreamble(text);
  table.htmlCells = pre.html;
  table.deckColumn = pre.deck;
  const std::string_view body = text.substr(pre.end);
  table.separator = options.separator ? options.separator
                    : pre.separator   ? *pre.separator
                                      : DetectSeparator(body);
  if (!SplitRecords(body, table.separator, pre.lines + 1, table, error)) return false;
  if (!ConvertCells(table, error)) return false;

  std::optional<CsvColumns> named;
  std::vector<std::string> columnNames;
  if (pre.columns) {
    CsvTable names;
    names.encoding = table.encoding;
    std::string ignored;
    if (SplitRecords(*pre.columns, table.separator, 1, names, ignored) && ConvertCells(names, ignored) &&
        !names.records.empty()) {
      columnNames = names.records[0];
      named = HeaderColumns(columnNames, true);
    }
  }
  if (!pre.columns && !table.records.empty() && options.header != CsvHeader::No) {
    named = HeaderColumns(table.records[0], options.header == CsvHeader::Yes);
    table.hasHeader = named.has_value() || options.header == CsvHeader::Yes;
    if (table.hasHeader) columnNames = table.records[0];
  }
  NameColumns(table, pre, columnNames.empty() ? nullptr : &columnNames);
  if (named && named->lesson < 0) named->lesson = pre.deck;
  if (options.columns) {
    table.columns = *options.columns;
  } else if (named) {
    table.columns = *named;
  } else {
    table.columns = DefaultColumns(pre, table.columnNames.size());
  }
  return true;
}

void CsvIssues(const CsvTable& table, const CsvColumns& columns, ImportSummary& summary) {
  LeftOut(table, columns, summary);
}

bool CsvRows(const CsvTable& table, const CsvColumns& columns, std::vector<ExchangeRow>& rows,
             std::string& error, ImportSummary* summary) {
  rows.clear();
  rows.reserve(table.records.size());
  ImportSummary scratch;
  const std::vector<size_t> leftOut = LeftOut(table, columns, summary ? *summary : scratch);
  auto skip = leftOut.begin();
  const auto cellOf = [&](const std::vector<std::string>& record, int col) -> std::string {
    if (col < 0 || static_cast<size_t>(col) >= record.size()) return {};
    std::string cell = record[static_cast<size_t>(col)];
    if (col == table.deckColumn)
      for (size_t at = cell.find("::"); at != std::string::npos; at = cell.find("::", at + 3))
        cell.replace(at, 2, " / ");
    return cell;
  };
  for (size_t r = table.hasHeader ? 1 : 0; r < table.records.size(); ++r) {
    if (skip != leftOut.end() && *skip == r) {
      ++skip;
      continue;
    }
    const auto& record = table.records[r];
    ExchangeRow row{cellOf(record, columns.german), cellOf(record, columns.french),
                    cellOf(record, columns.lesson), 1, table.lines[r]};
    const std::string box(Trim(cellOf(record, columns.box)));
    if (!box.empty()) {
      if (box.size() != 1 || box[0] < '1' || box[0] > '3') {
        error = LineMessage(table.lines[r], "Kasten muss 1, 2 oder 3 sein");
        return false;
      }
      row.box = box[0] - '0';
    }
    rows.push_back(std::move(row));
  }
  return true;
}

namespace {

std::string CsvCell(const std::string& ansi, char separator) {
  const std::string utf8 = win1252::ToUtf8(ansi);
  const char special[] = {separator, '"', '\r', '\n', '\0'};
  const bool quote = utf8.find_first_of(special) != std::string::npos ||
                     (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
  if (!quote) return utf8;
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace

std::string WriteCsv(const std::vector<ExchangeRow>& rows, const CsvWriteOptions& options) {
  const std::string sep(1, options.separator);
  std::string out = options.byteOrderMark ? "\xEF\xBB\xBF" : "";
  out += "Deutsch" + sep + "Franz\xC3\xB6sisch" + sep + "Lektion" + sep + "Kasten\r\n";
  for (const ExchangeRow& row : rows) {
    out += CsvCell(row.german, options.separator) + sep + CsvCell(row.french, options.separator) + sep +
           CsvCell(row.lesson, options.separator) + sep + std::to_string(row.box) + "\r\n";
  }
  return out;
}

std::optional<char> SeparatorFromName(std::string_view name) {
  const std::string n = Lower(name);
  if (n == "tab" || n == "\t" || n == "tabulator") return '\t';
  if (n == ";" || n == "semikolon" || n == "semicolon") return ';';
  if (n == "," || n == "komma" || n == "comma") return ',';
  return std::nullopt;
}

std::optional<CsvColumns> ColumnsFromText(std::string_view text) {
  CsvColumns cols{-1, -1, -1, -1};
  int index = 0;
  bool any = false;
  size_t start = 0;
  for (;; ++index) {
    const size_t comma = text.find(',', start);
    const std::string_view word =
        Trim(text.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (word != "-" && !word.empty()) {
      const int which = HeaderColumn(word);
      int* slot[] = {&cols.german, &cols.french, &cols.lesson, &cols.box};
      if (which < 0 || *slot[which] >= 0) return std::nullopt;
      *slot[which] = index;
      any = true;
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (!any) return std::nullopt;
  return cols;
}
