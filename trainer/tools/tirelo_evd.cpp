// tirelo-evd: vocabulary files as text, for word lists kept in spreadsheets and for scripted
// checks. "dump FILE" writes the boxes of FILE as UTF-8 text to standard output; "build FILE"
// reads that text from standard input and writes FILE. "import LIST OUT.evd" makes a
// vocabulary file of a KVTML, CSV or TSV list, "export FILE.evd OUT.kvtml|.csv|.tsv" the other
// way. All use the trainer's own readers and writers. A failure prints the German message to
// standard error, writes no output file and ends with status 1. "--help" prints the usage and
// "--version" the version on standard output.

#include <iostream>
#include <iterator>
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
  std::optional<std::string> InputBox(const std::string&, const std::string&,
                                      const std::string&) override {
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
    "  oder  tirelo-evd import LISTE AUS.evd [--columns de,fr,lektion] [--separator tab|;|,]\n"
    "                                        [--encoding utf-8|windows-1252]\n"
    "  oder  tirelo-evd export DATEI.evd AUS.kvtml|AUS.csv|AUS.tsv\n"
    "  oder  tirelo-evd --help | --version";

int Print(const std::string& text) {
  std::cout << text;
  std::cout.flush();
  return std::cout ? 0 : 1;
}

// The options of import; false with the message for one not understood.
bool ImportOptions(int argc, char** argv, int first, CsvOptions& options, std::string& error) {
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
        error = A("--columns: erwartet de, fr und lektion, durch Kommas getrennt");
        return false;
      }
      options.header = CsvHeader::No;
    } else if (name == "--separator") {
      const std::optional<char> sep = SeparatorFromName(value);
      if (!sep) {
        error = "--separator: erwartet tab, ; oder ,";
        return false;
      }
      options.separator = *sep;
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
  std::string error, bytes;
  if (!ImportOptions(argc, argv, 4, options, error)) return Fail(error);
  if (!ReadExchangeFile(argv[2], bytes, error)) return Fail(error);
  std::vector<ExchangeRow> rows;
  if (!ListRows(bytes, options, rows, error)) return Fail(error);
  VokDocument doc;
  AddExchangeRows(doc, rows, nullptr);
  StderrDialogs dialogs;
  VokFileEnv env;
  env.dialogs = &dialogs;
  return WriteVocabFile(doc, argv[3], env) ? 0 : 1;
}

int Export(const std::filesystem::path& from, const std::filesystem::path& to) {
  const std::optional<ListFormat> format = FormatOfPath(to);
  if (!format) return Fail(A("Ausgabe muss auf .kvtml, .csv oder .tsv enden"));
  VokDocument doc;
  if (!ReadVocabFile(doc, from, ReadMode::Replace, VokFileEnv{})) return Fail(kFileNotRead);
  std::string text, error;
  const std::string title = win1252::FromUtf8(from.stem().string());
  if (!ExportListText(doc, 0, *format, title, text, error)) return Fail(error);
  if (!WriteExchangeFile(to, text, error)) return Fail(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::string command = argc >= 2 ? argv[1] : "";
  if (command == "dump" && argc == 3) return Dump(argv[2]);
  if (command == "build" && argc == 3) return Build(argv[2]);
  if (command == "import" && argc >= 4) return Import(argc, argv);
  if (command == "export" && argc == 4) return Export(argv[2], argv[3]);
  if (command == "--help" && argc == 2) return Print(std::string(kUsage) + "\n");
  if (command == "--version" && argc == 2) return Print("tirelo-evd (Tirelo V) " TIRELO_VERSION "\n");
  return Fail(kUsage);
}
