// tirelo-evd: vocabulary files as text, for word lists kept in spreadsheets and for scripted
// checks. "dump FILE" writes the boxes of FILE as UTF-8 text to standard output; "build FILE"
// reads that text from standard input and writes FILE. Both use the trainer's own reader and
// writer. A failure prints the German message to standard error and ends with status 1.

#include <iostream>
#include <iterator>
#include <string>

#include "EvdText.h"
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

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::string command = argc == 3 ? argv[1] : "";
  if (command == "dump") return Dump(argv[2]);
  if (command == "build") return Build(argv[2]);
  return Fail(A("Aufruf: tirelo-evd dump DATEI  oder  tirelo-evd build DATEI < TEXT"));
}
