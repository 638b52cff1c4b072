#pragma once
// The view settings of the trainer's tables and window: grid lines, colours, font and the
// window size preset. They live in the desktop record for the whole run; the view commands
// change them and the main window applies them.

#include <optional>

#include "Dialogs.h"

// Window sizes are kept in units of 1/96 inch so a preset means the same size on every screen.
constexpr int kStoredDpi = 96;

struct ViewSettings {
  static constexpr Color kDefaultBackground = 0x00FFAAAA;  // light blue
  static constexpr Color kDefaultFontColor = 0x00FF0000;   // blue

  bool gridLines = true;
  Color background = kDefaultBackground;
  FontDesc font = DefaultFont();  // font.color is the text colour of the tables
  int windowHeight = 480;         // 1/96 inch
  int windowWidth = 640;          // 1/96 inch

  // The main window's font (Verdana, 13 pixels, no style) in the tables' blue.
  static FontDesc DefaultFont();
  bool operator==(const ViewSettings&) const = default;
};

// Pixels on a screen of the given horizontal dpi to 1/96 inch and back, rounded to the nearest
// (half-way values to even, like every other rounding of sizes in the program).
int StoreWindowSize(int pixels, double dpi);
int RestoreWindowSize(int stored, double dpi);

// The ranges inside which stored view values are taken; a damaged desktop file may hold
// anything, and what lies outside falls back to the default, as without a desktop file.
constexpr int kMaxFontHeight = 96;  // pixels, either sign
constexpr int kMaxFontSize = 72;    // points
constexpr int kMinWindowSize = 100;  // 1/96 inch, either side

// Colours that are not of the form 0x00BBGGRR go back to their defaults; a font whose height,
// size, pitch, style bits or name lie outside their ranges goes back to the default font as a
// whole (its colour, the text colour, is checked on its own).
void CheckViewSettings(ViewSettings& view);

struct WindowSize {
  int width = 0, height = 0;
  bool operator==(const WindowSize&) const = default;
};

// The window's size at start-up in pixels: the stored size scaled to the screen. A stored
// size below kMinWindowSize, or one that would be larger than the screen, gives way to the
// default 640 x 480 (written back into view, so the preset and the next close agree).
WindowSize StartupWindowSize(ViewSettings& view, double dpi, int screenWidth, int screenHeight);

struct WindowGeometry {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const WindowGeometry&) const = default;
};

// The window size preset: a stored width of 640 or 800 gives that size scaled to the screen,
// centred on it; any other stored width leaves the window as it is (no value).
std::optional<WindowGeometry> WindowPreset(const ViewSettings& view, double dpi, int screenWidth,
                                           int screenHeight);
