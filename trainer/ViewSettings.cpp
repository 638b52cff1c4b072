#include "ViewSettings.h"

#include "Layout.h"

FontDesc ViewSettings::DefaultFont() {
  FontDesc font;
  font.color = kDefaultFontColor;
  font.height = -13;
  font.name = "Verdana";
  font.pitch = 0;
  font.size = 10;
  font.style = 0;
  return font;
}

int StoreWindowSize(int pixels, double dpi) {
  if (!(dpi > 0)) return pixels;
  return layout::RoundHalfEven(static_cast<double>(pixels) * kStoredDpi / dpi);
}

int RestoreWindowSize(int stored, double dpi) {
  if (!(dpi > 0)) return stored;
  return layout::RoundHalfEven(static_cast<double>(stored) * dpi / kStoredDpi);
}

std::optional<WindowGeometry> WindowPreset(const ViewSettings& view, double dpi, int screenWidth,
                                           int screenHeight) {
  if (view.windowWidth != 640 && view.windowWidth != 800) return std::nullopt;
  WindowGeometry g;
  g.width = RestoreWindowSize(view.windowWidth, dpi);
  g.height = RestoreWindowSize(view.windowHeight, dpi);
  g.left = static_cast<int>((static_cast<long long>(screenWidth) - g.width) / 2);
  g.top = static_cast<int>((static_cast<long long>(screenHeight) - g.height) / 2);
  return g;
}

namespace {

bool IsColor(Color c) { return c <= 0x00FFFFFF; }

bool IsSaneFont(const FontDesc& font) {
  const auto inRange = [](int v, int limit) { return v >= -limit && v <= limit && v != 0; };
  return inRange(font.height, kMaxFontHeight) && font.size >= 1 && font.size <= kMaxFontSize &&
         font.pitch <= 2 && (font.style & ~0x0F) == 0 && !font.name.empty();
}

}  // namespace

void CheckViewSettings(ViewSettings& view) {
  const ViewSettings defaults;
  if (!IsColor(view.background)) view.background = defaults.background;
  const Color textColor = IsColor(view.font.color) ? view.font.color : defaults.font.color;
  if (!IsSaneFont(view.font)) view.font = defaults.font;
  view.font.color = textColor;
}

WindowSize StartupWindowSize(ViewSettings& view, double dpi, int screenWidth, int screenHeight) {
  const auto fits = [&](int stored, int screen) {
    return stored >= kMinWindowSize && RestoreWindowSize(stored, dpi) <= screen;
  };
  if (!fits(view.windowWidth, screenWidth) || !fits(view.windowHeight, screenHeight)) {
    const ViewSettings defaults;
    view.windowWidth = defaults.windowWidth;
    view.windowHeight = defaults.windowHeight;
  }
  return {RestoreWindowSize(view.windowWidth, dpi), RestoreWindowSize(view.windowHeight, dpi)};
}
