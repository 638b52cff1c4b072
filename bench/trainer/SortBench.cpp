// SortTable on a box of 100 000 rows, by lesson and alphabetically, beside std::sort of the
// same keys prepared beforehand (the fastest the comparison itself allows).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "vokSort.h"

namespace {

constexpr int kRows = 100000;

std::string RandomWord(std::mt19937& rng) {
  static const std::string letters =
      "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz\xE0\xE2\xE7\xE8\xE9\xEA\xEE\xF4\x9C";
  std::string w;
  const int n = 3 + static_cast<int>(rng() % 10);
  for (int i = 0; i < n; ++i) w += letters[rng() % letters.size()];
  if (rng() % 4 == 0) w[0] = static_cast<char>(w[0] & ~0x20);
  return w;
}

// Lesson tags as learners write them: a few hundred distinct tags, many rows per tag.
const std::vector<VokRow>& BoxRows() {
  static const std::vector<VokRow> rows = [] {
    std::mt19937 rng(2024);
    std::vector<VokRow> out;
    out.push_back({"Lektion", "Franz\xF6sisch", "Deutsch"});
    for (int r = 0; r < kRows; ++r) {
      std::string lesson = rng() % 20 == 0 ? std::string()
                                           : "7A-" + std::to_string(1 + rng() % 20) + "-" +
                                                 std::to_string(1 + rng() % 15);
      out.push_back({lesson, RandomWord(rng), RandomWord(rng)});
    }
    return out;
  }();
  return rows;
}

void SortTableBench(benchmark::State& state, SortKind kind) {
  VokTable t;
  for (auto _ : state) {
    state.PauseTiming();
    t.ReplaceRows(BoxRows());
    state.ResumeTiming();
    SortTable(t, {kind, 1, SortRange::Whole});
    benchmark::DoNotOptimize(t.Cell(1, 1));
  }
}

void StdSortPreparedKeys(benchmark::State& state, SortKind kind) {
  VokTable t;
  t.ReplaceRows(BoxRows());
  std::vector<PreparedSortKey> keys;
  for (int r = 1; r < t.RowCount(); ++r) keys.push_back(PrepareSortKey(SortKeyText(t, r, 1)));
  std::vector<size_t> order(keys.size());
  for (auto _ : state) {
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return ComparePrepared(keys[a], keys[b], kind) < 0;
    });
    benchmark::DoNotOptimize(order.data());
  }
}

void PrepareKeys(benchmark::State& state) {
  VokTable t;
  t.ReplaceRows(BoxRows());
  for (auto _ : state) {
    std::vector<PreparedSortKey> keys;
    keys.reserve(kRows);
    for (int r = 1; r < t.RowCount(); ++r) keys.push_back(PrepareSortKey(SortKeyText(t, r, 1)));
    benchmark::DoNotOptimize(keys.data());
  }
}

}  // namespace

BENCHMARK_CAPTURE(SortTableBench, ByLesson, SortKind::ByLesson)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SortTableBench, Alphabetic, SortKind::Alphabetic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdSortPreparedKeys, ByLesson, SortKind::ByLesson)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StdSortPreparedKeys, Alphabetic, SortKind::Alphabetic)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PrepareKeys)->Unit(benchmark::kMillisecond);

