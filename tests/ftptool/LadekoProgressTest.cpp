// The progress line of ladeko-ftp: its text, and when it is drawn, erased and left standing.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "LadekoProgress.h"

namespace {

constexpr std::int64_t kMiB = 1 << 20;

TEST(LadekoProgressLine, TellsBytesRateTimeLeftAndFiles) {
  struct Case {
    LadekoProgressFigures figures;
    std::string line;
  };
  const std::vector<Case> cases = {
      {{0, -1, 0, -1, -1}, "0 B"},
      {{1536, 4096, 1.0, -1, -1}, "1.5 KB von 4.0 KB, 1.5 KB/s, noch 0:02"},
      {{10 * kMiB, 50 * kMiB, 2.0, -1, -1}, "10.0 MB von 50.0 MB, 5.0 MB/s, noch 0:08"},
      {{3 * kMiB, -1, 1.5, -1, -1}, "3.0 MB, 2.0 MB/s"},
      {{kMiB, 4 * kMiB, 1.0, 3, 40}, "3 von 40 Dateien, 1.0 MB von 4.0 MB, 1.0 MB/s, noch 0:03"},
      {{1024, 1024 * 3724, 1.0, -1, -1}, "1.0 KB von 3.6 MB, 1.0 KB/s, noch 1:02:03"},
      {{5 * 1024 * kMiB, 5 * 1024 * kMiB, 4.0, -1, -1}, "5.0 GB von 5.0 GB, 1.2 GB/s, noch 0:00"},
      {{0, 100, 1.0, 0, 2}, "0 von 2 Dateien, 0 B von 100 B, 0 B/s"},
      // A file that grew past what its listing said: no total that is smaller than the bytes.
      {{200, 100, 2.0, 1, 1}, "1 von 1 Dateien, 200 B, 100 B/s"},
  };
  for (const Case& c : cases) EXPECT_EQ(LadekoProgressLine(c.figures), c.line);
}

// A scenario of events at given seconds, and what the terminal then holds: "|" stands for
// each "\r", "~" for the erasure of the rest of the line.
TEST(LadekoProgress, ShowsOnlyWhatLastsAndLeavesTheLastStateStanding) {
  struct Step {
    double at;
    std::function<void(LadekoProgress&)> event;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::string terminal;
  };
  const auto begin = [](std::int64_t size) {
    return [size](LadekoProgress& p) {
      p.Expect(-1);
      p.Begin(size);
    };
  };
  const auto unannounced = [](LadekoProgress& p) { p.Begin(0); };
  const auto work = [](std::int64_t done) { return [done](LadekoProgress& p) { p.Work(done); }; };
  const auto end = [](LadekoProgress& p) { p.End(); };
  const auto erase = [](LadekoProgress& p) { p.Erase(); };
  const auto expect = [](std::int64_t size) { return [size](LadekoProgress& p) { p.Expect(size); }; };
  const auto count = [](int known, std::int64_t bytes, int done) {
    return [=](LadekoProgress& p) { p.Count(known, bytes, done); };
  };
  const std::vector<Case> cases = {
      {"a short transfer shows nothing", {{0, begin(100)}, {0.5, work(100)}, {0.9, end}}, ""},
      {"nothing before the first transfer", {{5, count(0, 0, 0)}}, ""},
      {"after a second, at most every 0.2 s, the last state stays",
       {{0, begin(100)},
        {0.5, work(10)},
        {1.0, work(20)},
        {1.1, work(30)},
        {1.25, work(40)},
        {2.0, work(100)},
        {2.0, end}},
       "|20 B von 100 B, 20 B/s, noch 0:04~|40 B von 100 B, 32 B/s, noch 0:02~|100 B von 100 B, 50 B/s, "
       "noch 0:00~|100 B von 100 B, 50 B/s, noch 0:00~\n"},  // the rate of the transfer, not of the wait
                                                             // after
      {"an erased line comes back at the next change",
       {{0, begin(-1)}, {1.0, work(10)}, {1.05, erase}, {1.1, erase}, {1.1, work(11)}},
       "|10 B, 10 B/s~|~|11 B, 10 B/s~|11 B, 10 B/s~\n"},
      {"a download told its size before it begins",
       {{0, expect(400)}, {0, [](LadekoProgress& p) { p.Begin(0); }}, {2, work(100)}},
       "|100 B von 400 B, 50 B/s, noch 0:06~|100 B von 400 B, 50 B/s, noch 0:06~\n"},
      {"a transfer not announced as a file's (a listing) is not followed",
       {{0, unannounced}, {1.5, work(100)}, {1.5, end}, {2, begin(10)}, {3.5, work(10)}},
       "|10 B von 10 B, 6 B/s, noch 0:00~|10 B von 10 B, 6 B/s, noch 0:00~\n"},
      {"a tree counts files over the bytes of all",
       {{0, count(2, 300, 0)},
        {0, unannounced},  // the folder's listing
        {0, work(40)},
        {0, end},
        {0, begin(100)},
        {0.5, work(100)},
        {0.5, end},
        {0.6, count(2, 300, 1)},
        {0.6, begin(200)},
        {1.5, work(50)}},
       "|1 von 2 Dateien, 150 B von 300 B, 100 B/s, noch 0:02~|1 von 2 Dateien, 150 B von 300 B, 100 B/s, "
       "noch 0:02~\n"},
      {"a batch begun before it names its files is followed, the listing after it not",
       {{0, count(2, 300, 0)},
        {0, [](LadekoProgress& p) { p.Begin(300); }},
        {0, work(0)},
        {0, expect(100)},  // its files, named as they start
        {0, expect(200)},
        {1.5, work(300)},
        {1.5, end},
        {1.5, count(2, 300, 2)},
        {1.5, unannounced},  // the next folder's listing
        {2.5, work(999)}},
       "|0 von 2 Dateien, 300 B von 300 B, 200 B/s, noch 0:00~|2 von 2 Dateien, 300 B von 300 B, 200 B/s, "
       "noch 0:00~\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream terminal;
    double now = 0;
    {
      LadekoProgress progress(terminal, [&now] { return now; });
      for (const Step& step : c.steps) {
        now = step.at;
        step.event(progress);
      }
      now += 1;  // the end comes a second later
    }
    std::string shown = terminal.str();
    for (std::size_t at; (at = shown.find('\r')) != std::string::npos;) shown.replace(at, 1, "|");
    for (std::size_t at; (at = shown.find("\x1b[K")) != std::string::npos;) shown.replace(at, 3, "~");
    EXPECT_EQ(shown, c.terminal) << c.what;
  }
}

}  // namespace
