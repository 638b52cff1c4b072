#pragma once
// The trainer's own settings: the per-user data folder, filled from the program folder on the
// first start, and the desktop file "vokfr.dtp" in it, a fixed 324-byte record read at
// start-up and written when the main window closes.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "Folders.h"
#include "ViewSettings.h"

class tFileClass;

// The content of "vokfr.dtp". Texts are Windows-1252.
struct TrainerDesktop {
  static constexpr std::size_t kSize = 324;
  static constexpr std::size_t kPathLimit = 120;
  static constexpr std::size_t kFontNameLimit = 40;

  std::string lastDocument;  // path of the document open at the last close
  ViewSettings view;
  std::array<std::uint8_t, 6> reserved{};  // kept as found
  std::string openFolder;                  // starting folder of the open dialogs

  bool operator==(const TrainerDesktop&) const = default;
};

inline constexpr char kDesktopFileName[] = "vokfr.dtp";

// The record image: integers little-endian, texts as a length byte and a fixed room; texts
// too long for their room are cut.
std::array<std::uint8_t, TrainerDesktop::kSize> EncodeDesktop(const TrainerDesktop& desktop);
// No value for an image that is short or whose text lengths overrun their room.
std::optional<TrainerDesktop> DecodeDesktop(std::span<const std::uint8_t> bytes);

// The user's documents folder + "Ombrax/Tirelo V/".
std::filesystem::path DataFolder(const Folders& folders);

// On the first start (no data folder yet) creates it and copies the program folder into it:
// every file except the program itself and ".dtp" files, every subfolder recursively.
// Existing files are overwritten; failures are ignored. Returns true when it copied.
bool PrepareDataFolder(const Folders& folders, const std::string& executableName);

// Reads "vokfr.dtp" (it must open for reading and writing), takes its open folder and opens
// the document: the command-line argument if there is one, else the last document. False, and
// nothing done, when the file cannot be opened or is not a whole record.
bool LoadDesktop(const std::filesystem::path& dataFolder,
                 const std::optional<std::filesystem::path>& argument, TrainerDesktop& desktop,
                 tFileClass& document);

// Without a desktop file: the data folder as open folder, a new document, default view.
void ApplyDesktopDefaults(const std::filesystem::path& dataFolder, TrainerDesktop& desktop,
                          tFileClass& document);

// At close: records the document, its open folder and the window size (in pixels on a screen
// of the given dpi), then writes "vokfr.dtp" anew. The caller ignores a false result.
bool SaveDesktop(const std::filesystem::path& dataFolder, TrainerDesktop& desktop,
                 const tFileClass& document, int windowWidth, int windowHeight, double dpi);

// The start-up order: PrepareDataFolder, LoadDesktop, else the defaults and the argument.
// Returns true when "vokfr.dtp" was read, so the window takes the stored size.
bool StartTrainerDocument(const Folders& folders, const std::string& executableName,
                          const std::optional<std::filesystem::path>& argument,
                          TrainerDesktop& desktop, tFileClass& document);
