#include "FtpLogBook.h"

#include <algorithm>

void FtpLogBook::DropFirst(std::size_t count) {
  count = std::min(count, lines_.size());
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(count));
}

std::size_t FtpLogBook::AddTrimmed(const std::string& line) {
  Add(line);
  const std::size_t excess = Excess();
  DropFirst(excess);
  return excess;
}

std::string FtpLogBook::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}
