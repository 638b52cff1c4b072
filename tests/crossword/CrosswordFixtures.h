#pragma once
// Boxes and random sources for the crossword tests.

#include <gtest/gtest.h>

#include <deque>
#include <initializer_list>
#include <utility>

#include "KreuzCls.h"
#include "Win1252.h"
#include "vokGrid.h"

// Hands out a fixed sequence; each value must lie below the bound asked for.
class ScriptedRandom : public CrosswordRandom {
 public:
  ScriptedRandom(std::initializer_list<int> values = {}) : values_(values) {}
  void SeedFromClock() override { ++seeds; }
  int Random(int m) override {
    ++draws;
    if (values_.empty()) return 0;
    const int v = values_.front();
    values_.pop_front();
    EXPECT_LT(v, m) << "scripted value out of range";
    return v;
  }
  int seeds = 0;
  int draws = 0;

 private:
  std::deque<int> values_;
};

// A fixed-seed generator for layouts of many words, the same on every run.
class SeededRandom : public CrosswordRandom {
 public:
  explicit SeededRandom(unsigned seed) : engine_(seed) {}
  void SeedFromClock() override {}
  int Random(int m) override { return std::uniform_int_distribution<int>(0, m - 1)(engine_); }

 private:
  std::mt19937 engine_;
};

// A box with French words in column 1 and German clues in column 2.
inline void FillBox(VokTable& box, std::initializer_list<std::pair<const char*, const char*>> rows) {
  ResetTable(box, 2, 1 + static_cast<int>(rows.size()));
  int r = 1;
  for (const auto& [word, clue] : rows) {
    box.SetCell(1, r, A(word));
    box.SetCell(2, r, A(clue));
    ++r;
  }
}
