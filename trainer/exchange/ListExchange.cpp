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
              std::string& error, ImportSummary* summary, std::string_view languages) {
  switch (DetectListKind(bytes)) {
    case ListKind::Kvtml: {
      KvtmlFile file;
      if (!ReadKvtml(bytes, file, error)) return false;
      KvtmlPair pair;
      if (!languages.empty()) {
        if (!PairFromText(file, languages, pair, error)) return false;
      } else if (const std::optional<KvtmlPair> found = FindGermanFrench(file)) {
        pair = *found;
      } else {
        error = A("keine Sprachen Deutsch und Französisch in der Datei; sie enthält: ") + LanguagesText(file);
        return false;
      }
      if (summary)
        for (std::string& note : LanguageNotes(file, pair)) summary->notes.push_back(std::move(note));
      return KvtmlRows(bytes, pair, rows, error, summary);
    }
    case ListKind::EvdText:
      return EvdTextRows(bytes, rows, error);
    case ListKind::Csv: {
      CsvTable table;
      if (!ReadCsvTable(bytes, csv, table, error)) return false;
      return CsvRows(table, table.columns, rows, error, summary);
    }
  }
  return false;
}

std::string SaveTimeText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

namespace {

void CopyBox(const VokTable& from, VokTable& to) {
  std::vector<VokRow> rows;
  rows.reserve(static_cast<size_t>(from.RowCount()));
  for (int r = 0; r < from.RowCount(); ++r) rows.push_back(from.Row(r));
  to.ReplaceRows(std::move(rows));
}

}  // namespace

bool ExportListText(const VokDocument& doc, int onlyBox, ListFormat format, const ExportOptions& options,
                    std::string& text, std::string& error) {
  const bool one = onlyBox >= 1 && onlyBox <= VokDocument::kBoxCount;
  switch (format) {
    case ListFormat::Kvtml:
      return WriteKvtml(DocumentRows(doc, onlyBox), options.title, options.savedAt, text, error);
    case ListFormat::Csv:
      text = WriteCsv(DocumentRows(doc, onlyBox), options.csv);
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
