// The FTP tool's desktop: "ladeko.dtp" in the settings folder (the trainer's data folder),
// a fixed 268-byte record read each time the tool window is shown and written each time it
// closes. It remembers the open profile, the last folder of the profile dialogs, the window
// size (in 96-dpi pixels) and the active page. Also the window's size commands with their
// screen scaling and the centring flags.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "Dialogs.h"
#include "FtpWindowSize.h"

struct FtpToolDesktop {
  static constexpr std::size_t kSize = 268;
  static constexpr std::size_t kVersionLimit = 10;
  static constexpr std::size_t kPathLimit = 120;

  std::string Version = "1.00";
  std::string ProfileName;    // full path of the open profile, Windows-1252
  std::string LastDirectory;  // last folder of the profile file dialogs
  std::int32_t Height = 480;
  std::int32_t Width = 640;
  std::int32_t ActivePage = 0;

  bool operator==(const FtpToolDesktop&) const = default;
};

inline constexpr char kToolDesktopFileName[] = "ladeko.dtp";
inline constexpr char kToolDesktopVersion[] = "1.00";

// The record image: integers little-endian, texts as a length byte and a fixed room (texts
// too long are cut), the padding bytes 253-255 zero.
std::array<std::uint8_t, FtpToolDesktop::kSize> EncodeToolDesktop(const FtpToolDesktop& desktop);
// Nothing for an image that is short, whose version is not "1.00" or whose text lengths
// overrun their room.
std::optional<FtpToolDesktop> DecodeToolDesktop(std::span<const std::uint8_t> bytes);

// What loading the desktop does to the profile document and the window.
struct FtpDesktopProfileHooks {
  std::function<void(const std::string&)> SetLastDirectory;
  std::function<void(const std::string&)> SetProfileName;
  std::function<bool(const std::string&)> ReadProfile;  // with the loading flag set
  std::function<void()> NewDocument;
  std::function<void(const std::string&)> ShowProfileName;  // status panel 0
  // After the untitled profile has replaced one that could not be read: filling the controls
  // lists the local folder, which clears status panel 2, so the message is given again last.
  std::function<void()> ReportProfileNotRead;
};

// LoadDesktop: reads the record (the file must open for reading and writing), takes its last
// directory and opens its profile, or the program argument's when one was given; a profile
// that cannot be read gives the untitled one. False, and nothing changed, when the file is
// missing, unreadable, write-protected, short or of another version.
bool LoadDesktop(const std::filesystem::path& settingsFolder,
                 const std::optional<std::string>& argument, FtpToolDesktop& desktop,
                 const FtpDesktopProfileHooks& hooks);

// DefaultDesktop: version "1.00", 640 x 480, page 0, no profile name, the settings folder as
// last directory, and a new profile.
void DefaultDesktop(const std::filesystem::path& settingsFolder, FtpToolDesktop& desktop,
                    const FtpDesktopProfileHooks& hooks);

// At each show of the window: LoadDesktop, else the defaults (with an argument: that
// profile, and the default version, sizes and page).
void StartDesktop(const std::filesystem::path& settingsFolder,
                  const std::optional<std::string>& argument, FtpToolDesktop& desktop,
                  const FtpDesktopProfileHooks& hooks);

// The window's state when it closes.
struct FtpWindowState {
  int Width = 0, Height = 0;  // screen pixels
  int ActivePage = 0;
  bool FixedWidth = false, FixedHeight = false;  // the open and save modes fix the size
};

inline constexpr char kDesktopSaveFailed[] = "Fehler beim Abspeichern des Desktops";

// SaveDesktop: records the profile, the last directory, the size (unless fixed) divided by
// the screen factor and the page, then replaces "ladeko.dtp" only once the new record is
// complete on disk; a failed write keeps the old desktop and shows kDesktopSaveFailed.
bool SaveDesktop(const std::filesystem::path& settingsFolder, FtpToolDesktop& desktop,
                 const std::string& profileName, const std::string& lastDirectory,
                 const FtpWindowState& window, double screenFactor, Dialogs& dialogs);

// Screen scaling: the factor is the screen's horizontal pixels per inch / 96. Stored sizes
// are multiplied, shown sizes divided, each rounded to the nearest integer, ties to even.
double ScreenFactor(double pixelsPerInch);
// Results beyond the range of int are held at its ends.
int ToScreenPixels(int stored, double factor);
int ToStoredPixels(int shown, double factor);
// The window size to apply at start-up: the stored one on this screen when both sides are
// positive and fit the screen's work area, otherwise the default 640 x 480, so that a damaged
// desktop can neither make a giant window nor keep its size (the window's size is written
// back at closing).
FtpWindowSize StartWindowSize(const FtpToolDesktop& desktop, double factor, int screenWidth,
                              int screenHeight);

// The centre-once and layout-allowed flags: the window is centred at the first layout after
// both are set.
struct FtpCentring {
  bool CentreOnce = false;
  bool LayoutAllowed = false;
  struct Position {
    int Left, Top;
    bool operator==(const Position&) const = default;
  };
  // The position to move the window to at this layout, if any; clears the centre-once flag.
  std::optional<Position> Layout(int screenWidth, int screenHeight, int windowWidth,
                                 int windowHeight);
};

// FTPFormulargre640x4801Click: tag 1 is 640 x 480, tag 2 800 x 600. Stores the size in the
// desktop, arms the centring and gives the window size on this screen.
FtpWindowSize SizeCommand(int tag, double screenFactor, FtpToolDesktop& desktop,
                          FtpCentring& centring);
