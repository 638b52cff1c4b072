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
  g.left = (screenWidth - g.width) / 2;
  g.top = (screenHeight - g.height) / 2;
  return g;
}
