#pragma once
// Import and export of word lists as the window and tirelo-evd both run them: the kind of a
// file is told by its content (KVTML, the text of "tirelo-evd dump", other CSV/TSV), the
// format of an export by the name's extension.

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CsvList.h"
#include "ExchangeRows.h"
#include "KvtmlList.h"

enum class ListKind { Kvtml, EvdText, Csv };
enum class ListFormat { Kvtml, Csv, Tsv };

// XML (after a BOM and blanks, a "<") is taken for KVTML; a first line "#box<TAB>k" for the
// text of tirelo-evd; anything else for CSV/TSV.
ListKind DetectListKind(std::string_view bytes);

// ".kvtml", ".csv", ".tsv" in any case; nullopt for another extension.
std::optional<ListFormat> FormatOfPath(const std::filesystem::path& path);

// The rows of a list file with nothing asked: KVTML takes the languages given ("FRENCH,GERMAN",
// see PairFromText) or found (FindGermanFrench) and refuses a file whose languages it cannot
// tell, naming them; CSV takes the options (header, columns) as given or found. summary, when
// given, learns what was left out and the notes on the languages.
bool ListRows(std::string_view bytes, const CsvOptions& csv, std::vector<ExchangeRow>& rows,
              std::string& error, ImportSummary* summary = nullptr, std::string_view languages = {});

// The rows of the text of tirelo-evd, with their boxes.
bool EvdTextRows(std::string_view text, std::vector<ExchangeRow>& rows, std::string& error);

struct ExportOptions {
  std::string title;    // Windows-1252
  std::string savedAt;  // the KVTML grades' date, as SaveTimeText gives it
  CsvWriteOptions csv;
};

// A time as KVTML dates it: "2024-05-01T10:00:00", local time.
std::string SaveTimeText(std::time_t when);

// The export text of the document (only box onlyBox when it is 1..3). TSV is the text of
// "tirelo-evd dump", with every box not exported in the state of a new document.
bool ExportListText(const VokDocument& doc, int onlyBox, ListFormat format, const ExportOptions& options,
                    std::string& text, std::string& error);
