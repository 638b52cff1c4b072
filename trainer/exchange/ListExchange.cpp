#include "ListExchange.h"

#include <algorithm>
#include <cctype>

#include "EvdText.h"
#include "Win1252.h"

ListKind DetectListKind(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && bytes[first] == '<') return ListKind::Kvtml;
  if (bytes.substr(0, 5) == "#box\t") return ListKind::EvdText;
  return ListKind::Csv;
}

std::optional<ListFormat> FormatOfPath(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == ".kvtml") return ListFormat::Kvtml;
  if (ext == ".csv") return ListFormat::Csv;
  if (ext == ".tsv") return ListFormat::Tsv;
  return std::nullopt;
}

bool EvdTextRows(std::string_view text, std::vector<ExchangeRow>& rows, std::string& error) {
  VokDocument doc;
  if (!ParseText(text, doc, error)) return false;
  rows = DocumentRows(doc);
  return true;
}

bool ListRows(std::string_view bytes, const CsvOptions& csv, std::vector<ExchangeRow>& rows,
              std::string& error) {
  switch (DetectListKind(bytes)) {
    case ListKind::Kvtml: {
      KvtmlFile file;
      if (!ReadKvtml(bytes, file, error)) return false;
      const std::optional<KvtmlPair> pair = FindGermanFrench(file);
      if (!pair) {
        error = A("keine Sprachen Deutsch und Französisch (locale de und fr) in der Datei");
        return false;
      }
      return KvtmlRows(file, *pair, rows, error);
    }
    case ListKind::EvdText:
      return EvdTextRows(bytes, rows, error);
    case ListKind::Csv: {
      CsvTable table;
      if (!ReadCsvTable(bytes, csv, table, error)) return false;
      return CsvRows(table, table.columns, rows, error);
    }
  }
  return false;
}

namespace {

void CopyBox(const VokTable& from, VokTable& to) {
  std::vector<VokRow> rows;
  rows.reserve(static_cast<size_t>(from.RowCount()));
  for (int r = 0; r < from.RowCount(); ++r) rows.push_back(from.Row(r));
  to.ReplaceRows(std::move(rows));
}

}  // namespace

bool ExportListText(const VokDocument& doc, int onlyBox, ListFormat format,
                    const std::string& title, std::string& text, std::string& error) {
  const bool one = onlyBox >= 1 && onlyBox <= VokDocument::kBoxCount;
  switch (format) {
    case ListFormat::Kvtml:
      return WriteKvtml(DocumentRows(doc, onlyBox), title, text, error);
    case ListFormat::Csv:
      text = WriteCsv(DocumentRows(doc, onlyBox));
      return true;
    case ListFormat::Tsv:
      if (!one) {
        text = DumpText(doc);
      } else {
        VokDocument part;
        CopyBox(doc.Box(onlyBox), part.Box(onlyBox));
        text = DumpText(part);
      }
      return true;
  }
  return false;
}
