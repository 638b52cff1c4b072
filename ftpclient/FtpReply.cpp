#include "FtpReply.h"

#include <cctype>
#include <charconv>
#include <cstring>

#include "FtpError.h"
#include "FtpTexts.h"

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// A decimal number with an optional sign, 0 for anything else (as the reply code rule wants).
int ParseCode(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return 0;
  return value;
}

// RFC 959, 4.2: only a line that starts with the opening code and a blank ends a multi-line
// reply (a bare code counts too). Other lines may be short (" CCC" in a FEAT list) or start
// with digits; a server pads those, so the test looks at the line as it came, not trimmed.
bool EndsReply(std::string_view rawLine, std::string_view endMarker) {
  const std::string_view code = endMarker.substr(0, 3);
  if (rawLine.size() == 3) return EqualsIgnoringCase(rawLine, code);
  return rawLine.size() > 3 && EqualsIgnoringCase(rawLine.substr(0, 4), endMarker);
}

}  // namespace

std::string FtpTrim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

std::string FtpReply::JoinedText() const {
  std::string joined;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (i > 0) joined += '\n';
    joined += Text[i];
  }
  return joined;
}

// ---- FtpLineReader ----

void FtpLineReader::Feed(std::string_view bytes) {
  if (skipToLineEnd_) {
    const auto lf = bytes.find('\n');
    if (lf == std::string_view::npos) return;  // still inside the over-long line
    bytes.remove_prefix(lf + 1);
    skipToLineEnd_ = false;
  }
  Compact();
  buffer_.append(bytes);
}

std::optional<std::string> FtpLineReader::NextLine() {
  const char* begin = buffer_.data() + start_;
  const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', Buffered()));
  if (lf != nullptr) {
    const std::size_t end = static_cast<std::size_t>(lf - buffer_.data());
    std::size_t length = end - start_;
    if (length > 0 && buffer_[end - 1] == '\r') --length;
    if (length <= maxLineLength_) return TakeLine(start_ + length, end + 1);
    if (action_ == FtpMaxLineAction::Split)
      return TakeLine(start_ + maxLineLength_, start_ + maxLineLength_);
    start_ = end + 1;
    throw FtpLineTooLongError(ftp::texts::kMaxLineLength);
  }
  // No line end yet: a CR at the very end may still be followed by its LF.
  std::size_t pending = Buffered();
  if (pending > 0 && buffer_.back() == '\r') --pending;
  if (pending <= maxLineLength_) return std::nullopt;
  if (action_ == FtpMaxLineAction::Split)
    return TakeLine(start_ + maxLineLength_, start_ + maxLineLength_);
  Clear();
  skipToLineEnd_ = true;
  throw FtpLineTooLongError(ftp::texts::kMaxLineLength);
}

std::optional<std::string> FtpLineReader::TakeRest() {
  if (auto line = NextLine()) return line;  // complete lines first, and the limit holds
  if (Buffered() == 0) return std::nullopt;
  std::size_t end = buffer_.size();
  if (buffer_[end - 1] == '\r') --end;
  return TakeLine(end, buffer_.size());
}

void FtpLineReader::Clear() {
  buffer_.clear();
  start_ = 0;
  skipToLineEnd_ = false;
}

// Returns buffer_[start_, end) and continues reading at next.
std::string FtpLineReader::TakeLine(std::size_t end, std::size_t next) {
  std::string line(buffer_, start_, end - start_);
  start_ = next;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  }
  return line;
}

// Drops consumed bytes once they make up most of the buffer, so appending stays cheap.
void FtpLineReader::Compact() {
  if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
}

// ---- FtpReplyParser ----

std::optional<FtpReply> FtpReplyParser::PushLine(std::string_view rawLine) {
  std::string line = FtpTrim(rawLine);
  if (line.empty()) return std::nullopt;
  if (lines_.empty()) {
    const bool opensMultiLine = line.size() > 3 && line[3] == '-';
    if (opensMultiLine) endMarker_ = line.substr(0, 3) + " ";
    bytes_ = line.size();
    lines_.push_back(std::move(line));
    if (opensMultiLine) return std::nullopt;
    return Finish();
  }
  const bool ends = EndsReply(rawLine, endMarker_);
  if (lines_.size() >= maxLines_ || bytes_ + line.size() > maxBytes_) {
    Clear();
    throw FtpReplyTooLongError(ftp::texts::kReplyTooLong);
  }
  bytes_ += line.size();
  lines_.push_back(std::move(line));
  if (!ends) return std::nullopt;
  return Finish();
}

FtpReply FtpReplyParser::Finish() {
  FtpReply reply;
  reply.TextCode = FtpTrim(std::string_view(lines_.front()).substr(0, 4));
  if (reply.TextCode.size() == 4 && reply.TextCode.back() == '-') reply.TextCode.pop_back();
  reply.NumericCode = ParseCode(reply.TextCode);
  reply.Text.reserve(lines_.size());
  for (const auto& line : lines_) reply.Text.push_back(line.size() > 4 ? line.substr(4) : std::string());
  reply.Lines = std::move(lines_);
  Clear();
  return reply;
}
