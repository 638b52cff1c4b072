// A remote folder of 20 000 entries: the listing text parsed and paired, the rows built and
// sorted, and the list's model reset over them; and re-sorting the rows by each column.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "FtpListPairing.h"
#include "FtpListing.h"
#include "FtpRowModel.h"

namespace {

constexpr int kEntries = 20000;

std::vector<std::string> UnixListing() {
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const char* const types[] = {".txt", ".gif", ".zip", ".dat", ".HLP", ".wav"};
  std::vector<std::string> lines{"total 80000"};
  for (int i = 0; i < kEntries; ++i) {
    const bool folder = i % 10 == 0;
    std::string line = folder ? "drwxr-xr-x   2 web  web " : "-rw-r--r--   1 web  web ";
    line += std::to_string((i * 7919) % 1000000) + " " + months[i % 12] + " " +
            std::to_string(1 + i % 28) + (i % 3 ? " 2024 " : " 10:15 ");
    line += (i % 2 ? "Datei_" : "datei_") + std::to_string((i * 104729) % kEntries) +
            (folder ? "" : types[i % 6]);
    lines.push_back(line);
  }
  return lines;
}

FtpBrowserRows RowsOf(const std::vector<std::string>& lines) {
  const FtpCivilDate today{2026, 12, 8};
  const FtpListItems items = FtpParseListing(lines, today);
  return FtpRemoteRows(FtpPairListing(lines, items, today.Year), "/web/archiv", {},
                       FtpSortColumn::Name);
}

void ListingIntoModel(benchmark::State& state) {
  const std::vector<std::string> lines = UnixListing();
  FtpBrowserRows rows;
  FtpRowModel model(rows, FtpTag::Remote);
  for (auto _ : state) {
    rows = RowsOf(lines);
    model.Reset();
    benchmark::DoNotOptimize(model.rowCount());
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
  state.counters["rows"] = model.rowCount();
}
BENCHMARK(ListingIntoModel)->Unit(benchmark::kMillisecond);

void SortByColumn(benchmark::State& state) {
  const FtpBrowserRows listed = RowsOf(UnixListing());
  const auto column = static_cast<FtpSortColumn>(state.range(0));
  FtpBrowserRows rows;
  for (auto _ : state) {
    state.PauseTiming();
    rows = listed;
    state.ResumeTiming();
    SortBrowserRows(rows, column);
    benchmark::DoNotOptimize(rows.data());
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}
BENCHMARK(SortByColumn)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
