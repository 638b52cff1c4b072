#pragma once
// Sizes of the table views, in pixels.

#include <cmath>

namespace layout {

constexpr int kLessonColumnWidth = 80;

// Half-way values round to even, as the program always has.
inline int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// |font height| x dpi / 96, rounded, plus 6.
inline int RowHeight(int fontHeight, double dpi) {
  return RoundHalfEven(std::abs(fontHeight) * dpi / 96.0) + 6;
}

// Each word column: (window width - 135) / 2, halves rounded toward zero.
inline int WordColumnWidth(int windowWidth) { return (windowWidth - 135) / 2; }

}  // namespace layout
