// tirelo-evd: vocabulary files as text, for word lists kept in spreadsheets and for scripted
// checks. "dump FILE" writes the boxes of FILE as UTF-8 text to standard output; "build FILE"
// reads that text from standard input and writes FILE. "import LIST OUT.evd" makes a
// vocabulary file of a KVTML, CSV or TSV list and prints what it took and left out, "export
// FILE.evd OUT.kvtml|.csv|.tsv" the other way. All use the trainer's own readers and writers.
// A failure prints the German message to standard error, writes no output file and ends with
// status 1, running out of memory too. "--help" prints the usage and "--version" the version
// on standard output.

#include <ctime>
#include <iostream>
#include <iterator>
#include <new>
#include <string>

#include "EvdText.h"
#include "ListExchange.h"
#include "Win1252.h"
#include "vokdisk.h"

namespace {

// Message boxes of the writer become lines on standard error.
class StderrDialogs : public Dialogs {
 public:
  MsgResult Message(const std::string&, const std::string& text, MsgButtons, MsgIcon) override {
    std::cerr << win1252::ToUtf8(text) << "\n";
    return MsgResult::Ok;
  }
  std::optional<FileChoice> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<FileChoice> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<Color> ChooseColor(Color) override { return std::nullopt; }
  std::optional<FontDesc> ChooseFont(const FontDesc&, int) override { return std::nullopt; }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

int Fail(const std::string& win1252Message) {
  std::cerr << win1252::ToUtf8(win1252Message) << "\n";
  return 1;
}

int Dump(const std::filesystem::path& path) {
  VokDocument doc;
  if (!ReadVocabFile(doc, path, ReadMode::Replace, VokFileEnv{})) return Fail(kFileNotRead);
  std::cout << DumpText(doc);
  std::cout.flush();
  return std::cout ? 0 : Fail("Ausgabe konnte nicht geschrieben werden");
}

int Build(const std::filesystem::path& path) {
  const std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
  VokDocument doc;
  std::string error;
  if (!ParseText(text, doc, error)) return Fail(error);
  StderrDialogs dialogs;
  VokFileEnv env;
  env.dialogs = &dialogs;
  return WriteVocabFile(doc, path, env) ? 0 : 1;
}

const char* const kUsage =
    "Aufruf: tirelo-evd dump DATEI  oder  tirelo-evd build DATEI < TEXT\n"
    "  oder  tirelo-evd import LISTE AUS.evd [--columns de,fr,lektion,-,...] [--separator tab|;|,]\n"
    "                                        [--encoding utf-8|windows-1252]\n"
    "                                        [--languages FRANZ\xC3\x96SISCH,DEUTSCH]\n"
    "  oder  tirelo-evd export DATEI.evd AUS.kvtml|AUS.csv|AUS.tsv [--separator ;|,|tab]\n"
    "  oder  tirelo-evd --help | --version";

int Print(const std::string& text) {
  std::cout << text;
  std::cout.flush();
  return std::cout ? 0 : 1;
}

const char* const kLanguagesHint =
    "; die Sprachen w\xE4hlen mit --languages FRANZ\xD6SISCH,DEUTSCH (Gebietsschema, Name oder Nummer)";

std::optional<char> Separator(const std::string& value, std::string& error) {
  const std::optional<char> sep = SeparatorFromName(value);
  if (!sep) error = "--separator: erwartet tab, ; oder ,";
  return sep;
}

// The options of import; false with the message for one not understood.
bool ImportOptions(int argc, char** argv, int first, CsvOptions& options, std::string& languages,
                   std::string& error) {
  for (int i = first; i < argc; i += 2) {
    const std::string name = argv[i];
    if (i + 1 >= argc) {
      error = "Wert fehlt nach " + name;
      return false;
    }
    const std::string value = argv[i + 1];
    if (name == "--columns") {
      // The terminal gives UTF-8; the column names are compared as Windows-1252.
      options.columns = ColumnsFromText(win1252::IsValidUtf8(value) ? win1252::FromUtf8(value) : value);
      if (!options.columns) {
        error = A("--columns: erwartet de, fr, lektion, kasten oder - je Spalte, durch Kommas getrennt");
        return false;
      }
      options.header = CsvHeader::No;
    } else if (name == "--separator") {
      const std::optional<char> sep = Separator(value, error);
      if (!sep) return false;
      options.separator = *sep;
    } else if (name == "--languages") {
      languages = win1252::IsValidUtf8(value) ? win1252::FromUtf8(value) : value;
    } else if (name == "--encoding") {
      std::string v = value;
      for (char& c : v) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (v == "utf-8" || v == "utf8") options.encoding = CsvEncoding::Utf8;
      else if (v == "windows-1252" || v == "cp1252") options.encoding = CsvEncoding::Windows1252;
      else {
        error = "--encoding: erwartet utf-8 oder windows-1252";
        return false;
      }
    } else {
      error = "unbekannte Angabe " + win1252::FromUtf8(name);
      return false;
    }
  }
  return true;
}

int Import(int argc, char** argv) {
  CsvOptions options;
  std::string error, bytes, languages;
  if (!ImportOptions(argc, argv, 4, options, languages, error)) return Fail(error);
  if (!ReadExchangeFile(argv[2], bytes, error)) return Fail(error);
  std::vector<ExchangeRow> rows;
  ImportSummary summary;
  if (!ListRows(bytes, options, rows, error, &summary, languages)) {
    const bool languagesUnknown = languages.empty() && DetectListKind(bytes) == ListKind::Kvtml &&
                                  error.rfind("keine Sprachen", 0) == 0;
    return Fail(languagesUnknown ? error + kLanguagesHint : error);
  }
  std::string().swap(bytes);  // the rows hold what is needed
  VokDocument doc;
  AddExchangeRows(doc, std::move(rows), nullptr, &summary);
  StderrDialogs dialogs;
  VokFileEnv env;
  env.dialogs = &dialogs;
  if (!WriteVocabFile(doc, argv[3], env)) return 1;
  return Print(win1252::ToUtf8(SummaryText(summary)) + "\n");
}

int Export(int argc, char** argv) {
  const std::filesystem::path from = argv[2], to = argv[3];
  ExportOptions options;
  std::string error;
  if (argc == 6 && std::string(argv[4]) == "--separator") {
    const std::optional<char> sep = Separator(argv[5], error);
    if (!sep) return Fail(error);
    options.csv.separator = *sep;
  } else if (argc != 4) {
    return Fail(A(kUsage));
  }
  const std::optional<ListFormat> format = FormatOfPath(to);
  if (!format) return Fail(A("Ausgabe muss auf .kvtml, .csv oder .tsv enden"));
  VokDocument doc;
  if (!ReadVocabFile(doc, from, ReadMode::Replace, VokFileEnv{})) return Fail(kFileNotRead);
  std::string text;
  options.title = win1252::FromUtf8(from.stem().string());
  options.savedAt = SaveTimeText(std::time(nullptr));
  if (!ExportListText(doc, 0, *format, options, text, error)) return Fail(error);
  if (!WriteExchangeFile(to, text, error)) return Fail(error);
  return 0;
}

int Run(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "dump" && argc == 3) return Dump(argv[2]);
  if (command == "build" && argc == 3) return Build(argv[2]);
  if (command == "import" && argc >= 4) return Import(argc, argv);
  if (command == "export" && argc >= 4) return Export(argc, argv);
  if (command == "--help" && argc == 2) return Print(std::string(kUsage) + "\n");
  if (command == "--version" && argc == 2) return Print("tirelo-evd (Tirelo V) " TIRELO_VERSION "\n");
  return Fail(A(kUsage));
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // Nothing may end the program through an exception: a list too large for the memory
  // there is refused with a message like any other.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    return Fail(kOutOfMemoryText);
  } catch (const std::exception& e) {
    return Fail(kNotReadPrefix + e.what());
  }
}
