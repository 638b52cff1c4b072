#pragma once
// Import and export of word lists as the window and tirelo-evd both run them: the kind of a
// file is told by its content (KVTML, the text of "tirelo-evd dump", other CSV/TSV), the
// format of an export by the name's extension.

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

// The rows of a list file with nothing asked: KVTML needs German and French identifiers, CSV
// takes the options (header, columns) as given or found.
bool ListRows(std::string_view bytes, const CsvOptions& csv, std::vector<ExchangeRow>& rows,
              std::string& error);

// The rows of the text of tirelo-evd, with their boxes.
bool EvdTextRows(std::string_view text, std::vector<ExchangeRow>& rows, std::string& error);

// The export text of the document (only box onlyBox when it is 1..3). TSV is the text of
// "tirelo-evd dump", with every box not exported in the state of a new document.
bool ExportListText(const VokDocument& doc, int onlyBox, ListFormat format,
                    const std::string& title, std::string& text, std::string& error);
