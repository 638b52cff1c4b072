#pragma once
// Sizes of the table views, in pixels.

#include <cmath>
#include <limits>

namespace layout {

constexpr int kLessonColumnWidth = 80;

// Half-way values round to even, as the program always has. Values beyond the range of int
// are held at its ends (and "not a number" gives 0), so no size arithmetic can overflow.
inline int RoundHalfEven(double value) {
  constexpr double kMax = std::numeric_limits<int>::max();
  constexpr double kMin = std::numeric_limits<int>::min();
  if (!(value == value)) return 0;
  const double rounded = std::nearbyint(value);
  if (rounded >= kMax) return std::numeric_limits<int>::max();
  if (rounded <= kMin) return std::numeric_limits<int>::min();
  return static_cast<int>(rounded);
}

// |font height| x dpi / 96, rounded, plus 6.
inline int RowHeight(int fontHeight, double dpi) {
  const int scaled = RoundHalfEven(std::abs(static_cast<double>(fontHeight)) * dpi / 96.0);
  return scaled > std::numeric_limits<int>::max() - 6 ? scaled : scaled + 6;
}

// Each word column: (window width - 135) / 2, halves rounded toward zero.
inline int WordColumnWidth(int windowWidth) {
  return static_cast<int>((static_cast<long long>(windowWidth) - 135) / 2);
}

}  // namespace layout
