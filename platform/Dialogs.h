#pragma once
// Everything the program asks the user goes through this interface. The program shows Qt
// dialogs (QtDialogs); tests script the answers (ScriptedDialogs). Core code receives a
// Dialogs& and never opens a window by itself. Texts are Windows-1252; paths are native.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgResult { Ok, Yes, No, Cancel };

// A colour as the stored records hold it: 0x00BBGGRR.
using Color = std::uint32_t;

// Filters use the "Text|pattern;pattern|Text|pattern|" form; the index counts from 1.
struct FileDialogRequest {
  std::string title;
  std::string filter;
  int filterIndex = 1;
  std::filesystem::path initialDir;
  std::string fileName;  // proposed name
  std::string defaultExt;
  bool mustExist = false;
  bool confirmOverwrite = false;
};

struct FileChoice {
  std::filesystem::path path;
  int filterIndex = 1;
};

enum FontStyle : std::uint8_t { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

// A font as the records store it. height is in pixels, negative for the character height.
struct FontDesc {
  Color color = 0;
  int height = -13;
  std::string name = "Verdana";
  std::uint8_t pitch = 0;  // 0 default, 1 variable, 2 fixed
  int size = 10;           // points
  std::uint8_t style = 0;  // FontStyle bits
  bool operator==(const FontDesc&) const = default;
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  virtual MsgResult Message(const std::string& title, const std::string& text, MsgButtons buttons,
                            MsgIcon icon) = 0;
  virtual std::optional<FileChoice> OpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<FileChoice> SaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<Color> ChooseColor(Color initial) = 0;
  virtual std::optional<FontDesc> ChooseFont(const FontDesc& initial, int maxSize) = 0;
  virtual std::optional<std::string> InputBox(const std::string& title, const std::string& prompt,
                                              const std::string& initial) = 0;
};
