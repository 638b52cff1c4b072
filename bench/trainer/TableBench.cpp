// Row and table operations on a box of 100 000 rows.
#include <benchmark/benchmark.h>

#include <string>

#include "vokGrid.h"

namespace {

constexpr int kRows = 100000;

// Every other row is empty after tidying; the others carry untidy word cells.
void FillHalfEmpty(VokTable& t) {
  ResetTable(t, 2, kRows + 1);
  auto& rows = t.MutableRows();
  for (int r = 1; r <= kRows; ++r) {
    if (r % 2 == 0) {
      rows[r] = {"L7", " / ", "  "};
    } else {
      rows[r] = {"L7", "  le chat /  la chatte " + std::to_string(r), " die  Katze / "};
    }
  }
}

void BM_SetRowText(benchmark::State& state) {
  VokTable t;
  ResetTable(t, 2, kRows + 1);
  const std::string text = "7A-7-1\r\nla maison\r\ndas Haus\r\n";
  for (auto _ : state) {
    for (int r = 1; r <= kRows; ++r) SetRowText(t, r, text);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SetRowText)->Unit(benchmark::kMillisecond);

void BM_TrimTable(benchmark::State& state) {
  VokTable t;
  for (auto _ : state) {
    state.PauseTiming();
    FillHalfEmpty(t);
    state.ResumeTiming();
    TrimTable(t);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_TrimTable)->Unit(benchmark::kMillisecond);

void BM_CompactTable(benchmark::State& state) {
  VokTable t;
  for (auto _ : state) {
    state.PauseTiming();
    FillHalfEmpty(t);
    t.cursorRow = kRows;
    state.ResumeTiming();
    CompactTable(t);
    benchmark::DoNotOptimize(t.RowCount());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CompactTable)->Unit(benchmark::kMillisecond);

}  // namespace

