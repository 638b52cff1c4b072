// How fast listings and replies are parsed: a 100 000-line Unix listing, and a stream of
// replies cut into 32 KiB blocks as the socket delivers them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "FtpListing.h"
#include "FtpReply.h"

namespace {

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::vector<std::string> UnixListing(std::size_t count) {
  std::vector<std::string> lines;
  lines.reserve(count + 1);
  lines.push_back("total " + std::to_string(count * 8));
  for (std::size_t i = 0; i < count; ++i) {
    std::string line = i % 10 == 0 ? "drwxr-xr-x" : "-rw-r--r--";
    line += "   1 lehrerin  schule   " + std::to_string(i * 37 % 9999991) + " " + kMonths[i % 12] + " " +
            std::to_string(i % 28 + 1) + " " + (i % 3 == 0 ? "2019" : "12:34") + " vokabeln lektion " +
            std::to_string(i) + ".evd";
    lines.push_back(std::move(line));
  }
  return lines;
}

void BM_ParseUnixListing(benchmark::State& state) {
  const auto lines = UnixListing(static_cast<std::size_t>(state.range(0)));
  const FtpCivilDate today{2024, 6, 15};
  for (auto _ : state) {
    FtpListItems items = FtpParseListing(lines, today);
    if (items.Count() != lines.size() - 1) state.SkipWithError("lines were lost");
    benchmark::DoNotOptimize(items);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseUnixListing)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadReplies(benchmark::State& state) {
  std::string stream;
  const auto replies = static_cast<std::size_t>(state.range(0));
  for (std::size_t i = 0; i < replies; ++i) {
    if (i % 4 == 0)
      stream += "230-Willkommen auf dem Server\r\n230-Zeile zwei\r\n230 Angemeldet\r\n";
    else
      stream += "200 Befehl ausgef\xFChrt, alles in Ordnung " + std::to_string(i) + "\r\n";
  }
  constexpr std::size_t kBlock = 32768;
  for (auto _ : state) {
    FtpLineReader reader;
    FtpReplyParser parser;
    std::size_t completed = 0;
    for (std::size_t at = 0; at < stream.size(); at += kBlock) {
      reader.Feed(std::string_view(stream).substr(at, kBlock));
      while (auto line = reader.NextLine())
        if (parser.PushLine(*line)) ++completed;
    }
    if (completed != replies) state.SkipWithError("replies were lost");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_ReadReplies)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
