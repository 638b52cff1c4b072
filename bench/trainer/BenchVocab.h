#pragma once
// The word lists the trainer's benchmarks work on: distinct random word pairs, a third of the
// words with an accent, as learners get them from imported lists.

#include <random>
#include <string>

#include "vokGrid.h"

namespace bench {

inline std::string Word(std::mt19937& rng, int serial) {
  static const std::string letters = "abcdefghijklmnopqrstuvwxyz\xE9\xE8\xE7";
  std::string w;
  const int n = 3 + static_cast<int>(rng() % 8);
  for (int i = 0; i < n; ++i) w += letters[rng() % letters.size()];
  return w + std::to_string(serial);
}

// Distinct word pairs; seed tells two sets apart.
inline void FillBox(VokTable& t, unsigned seed, int rows) {
  std::mt19937 rng(seed);
  ResetTable(t, 2, rows + 1);
  auto& cells = t.MutableRows();
  for (int r = 1; r <= rows; ++r) {
    const int serial = static_cast<int>(seed) * 1000000 + r;
    cells[r] = {"L-" + std::to_string(r % 300), Word(rng, serial), Word(rng, serial)};
  }
}

}  // namespace bench
