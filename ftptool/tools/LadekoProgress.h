// The progress of ladeko-ftp on a terminal: one line, written over and over with "\r", for a
// transfer that lasts longer than about a second. It tells the bytes moved (of how many, when
// known), the rate and the time left, and for a tree the files done of those known so far.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

// What the line shows; -1 stands for unknown.
struct LadekoProgressFigures {
  std::int64_t bytes = 0;
  std::int64_t totalBytes = -1;
  double seconds = 0;  // since the first transfer began
  int filesDone = -1;  // a tree only
  int filesKnown = -1;
};

// The line's text, such as "3 von 40 Dateien, 12.5 MB von 20.0 MB, 4.2 MB/s, noch 0:02".
std::string LadekoProgressLine(const LadekoProgressFigures& figures);

// "512 B", "1.5 KB", "12.0 MB", "1.2 GB" (1024 to the next unit; the point as in the tool's
// rate).
std::string LadekoByteText(std::int64_t bytes);

class LadekoProgress {
 public:
  using Clock = std::function<double()>;         // seconds from any fixed point
  static constexpr double kQuietSeconds = 1.0;   // nothing is shown before
  static constexpr double kRedrawSeconds = 0.2;  // at most this often

  LadekoProgress(std::ostream& terminal, Clock now);
  ~LadekoProgress() { Finish(); }
  LadekoProgress(const LadekoProgress&) = delete;
  LadekoProgress& operator=(const LadekoProgress&) = delete;

  // One file's transfer: announced with its size (-1 unknown) by Expect, then its begin with
  // the size its connection tells (below 1: the announced one counts), the bytes done of it so
  // far, its end. A transfer not announced (a listing) is not followed; an announcement while
  // a transfer runs makes that one followed (several files moved at once, named as they go).
  void Expect(std::int64_t size);
  void Begin(std::int64_t size);
  void Work(std::int64_t done);
  void End();
  // A tree: the files found so far (and their bytes) and those done.
  void Count(int filesKnown, std::int64_t bytesKnown, int filesDone);
  // Takes the line away before another line goes to the terminal; the next change draws it
  // again.
  void Erase();
  // The last state stays on the terminal with its line end, when anything was shown.
  void Finish();

 private:
  void Follow(std::int64_t size);  // the transfer under way is a file's (or a batch's) of size
  LadekoProgressFigures Figures(double now) const;
  // Draws unless too early or too soon after the last; final draws the last state always.
  void Draw(bool final);

  std::ostream& terminal_;
  Clock now_;
  double start_ = -1;
  double lastEvent_ = -1;
  double drawn_ = -1;  // when the line was last written; -1 while none stands
  bool everShown_ = false;
  std::int64_t bytes_ = 0;      // of all files so far
  std::int64_t fileStart_ = 0;  // of the files before the one under way
  std::int64_t currentSize_ = -1;
  bool announced_ = false;           // the next transfer is a file's
  std::int64_t announcedSize_ = -1;  // its size
  bool running_ = false;             // a transfer runs, followed or not
  std::int64_t runningSize_ = -1;    // the size its begin told
  bool following_ = false;           // a file's transfer runs
  int filesKnown_ = -1;
  int filesDone_ = -1;
  std::int64_t bytesKnown_ = -1;
};

// Finishes the line when it leaves its scope, also through an exception: so the line ends
// before a handler writes its message.
struct LadekoProgressEnd {
  LadekoProgress* progress;
  ~LadekoProgressEnd() {
    if (progress) progress->Finish();
  }
};
