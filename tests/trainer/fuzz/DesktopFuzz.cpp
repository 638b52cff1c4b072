// libFuzzer target for the desktop record "vokfr.dtp" and the start-up size arithmetic it feeds:
// any 324 bytes must decode or be refused, survive encoding unchanged, and after the range
// checks give a window and rows of sensible sizes on any screen. The bytes after the record
// choose the screen.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "Layout.h"
#include "ViewSettings.h"
#include "vokdiskDesktop.h"

namespace {

int Pick(const std::uint8_t* data, size_t size, size_t at, int low, int high) {
  const int raw = at + 1 < size ? data[at] | data[at + 1] << 8 : 0;
  return low + raw % (high - low + 1);
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const size_t recordSize = size < TrainerDesktop::kSize ? size : TrainerDesktop::kSize;
  const auto decoded = DecodeDesktop(std::span(data, recordSize));
  if (!decoded) return 0;
  Check(DecodeDesktop(EncodeDesktop(*decoded)) == decoded);

  const int screenWidth = Pick(data, size, TrainerDesktop::kSize, 320, 16384);
  const int screenHeight = Pick(data, size, TrainerDesktop::kSize + 2, 200, 16384);
  const double dpi = Pick(data, size, TrainerDesktop::kSize + 4, 48, 480);

  ViewSettings view = decoded->view;
  CheckViewSettings(view);
  ViewSettings again = view;
  CheckViewSettings(again);
  Check(again == view);  // checked values pass the check unchanged

  const WindowSize window = StartupWindowSize(view, dpi, screenWidth, screenHeight);
  const bool isDefault = view.windowWidth == 640 && view.windowHeight == 480;
  Check(window.width > 0 && window.height > 0);
  Check(isDefault || (window.width <= screenWidth && window.height <= screenHeight));

  if (const auto preset = WindowPreset(view, dpi, screenWidth, screenHeight)) {
    Check(preset->width == window.width && preset->height == window.height);
    Check(preset->left <= screenWidth && preset->top <= screenHeight);
  }
  const int rowHeight = layout::RowHeight(view.font.height, dpi);
  Check(rowHeight >= 6 && rowHeight <= kMaxFontHeight * 480 / 96 + 6);
  Check(layout::WordColumnWidth(window.width) < window.width);
  return 0;
}
