// The log book's lines. The tool may run for days with the minute timer writing, so the
// trimmed form of appending keeps at most 15000 lines, dropping the oldest; both ends of the
// store cost constant time per line, also at the limit. Lines are UTF-8: the log book is the
// program's own display, so names keep every character (FtpToolView converts other lines).
#pragma once

#include <cstddef>
#include <deque>
#include <string>

class FtpLogBook {
 public:
  static constexpr std::size_t kLimit = 15000;

  void Add(const std::string& line) { lines_.push_back(line); }
  // Lines beyond the limit; lines added without trimming count too.
  std::size_t Excess() const { return lines_.size() > kLimit ? lines_.size() - kLimit : 0; }
  void DropFirst(std::size_t count);
  // Adds, then drops the oldest lines down to the limit; returns how many were dropped.
  std::size_t AddTrimmed(const std::string& line);
  void Clear() { lines_.clear(); }

  std::size_t Size() const { return lines_.size(); }
  const std::string& Line(std::size_t index) const { return lines_[index]; }
  const std::deque<std::string>& Lines() const { return lines_; }
  // All lines, each ended with CR LF, as the clipboard receives them.
  std::string Text() const;

 private:
  std::deque<std::string> lines_;
};
