// Import of word lists of 100 000 rows: the text read and split into rows, then the rows
// added to an empty document, as "Importieren ..." and "tirelo-evd import" run it.
#include <benchmark/benchmark.h>

#include "BenchVocab.h"
#include "ListExchange.h"

namespace {

constexpr int kRows = 100000;

VokDocument& ListDocument() {
  static VokDocument doc;
  static const bool filled = [] {
    bench::FillBox(doc.Box(1), 1, kRows / 2);
    bench::FillBox(doc.Box(2), 2, kRows / 4);
    bench::FillBox(doc.Box(3), 3, kRows / 4);
    return true;
  }();
  (void)filled;
  return doc;
}

std::string ListText(ListFormat format) {
  std::string text, error;
  ExportOptions options;
  options.title = "bench";
  ExportListText(ListDocument(), 0, format, options, text, error);
  return text;
}

void ImportText(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    std::vector<ExchangeRow> rows;
    std::string error;
    if (!ListRows(text, CsvOptions{}, rows, error)) state.SkipWithError("not read");
    VokDocument doc;
    AddExchangeRows(doc, rows, nullptr);
    benchmark::DoNotOptimize(doc.Box(1).RowCount());
  }
  state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_ImportCsv100k(benchmark::State& state) { ImportText(state, ListText(ListFormat::Csv)); }
BENCHMARK(BM_ImportCsv100k)->Unit(benchmark::kMillisecond);

void BM_ImportKvtml100k(benchmark::State& state) { ImportText(state, ListText(ListFormat::Kvtml)); }
BENCHMARK(BM_ImportKvtml100k)->Unit(benchmark::kMillisecond);

void BM_ExportKvtml100k(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ListText(ListFormat::Kvtml));
}
BENCHMARK(BM_ExportKvtml100k)->Unit(benchmark::kMillisecond);

}  // namespace
