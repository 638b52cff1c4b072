// Replies of the control connection and the reader that cuts received bytes into lines
// and lines into replies. No socket in here: the caller hands in the bytes it received.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One reply of the server.
struct FtpReply {
  int NumericCode = 0;             // 0 when TextCode is not a number
  std::string TextCode;            // normally three digits
  std::vector<std::string> Text;   // every reply line from its fifth character on
  std::vector<std::string> Lines;  // the lines whole (trimmed), as FEAT lists its features

  // The text lines joined with line breaks, the message of a reply error.
  std::string JoinedText() const;
};

// What happens to a line longer than the limit.
enum class FtpMaxLineAction { Exception, Split };

// Cuts a byte stream into lines ending at LF; the LF and one CR before it are removed.
// Memory stays bounded: a line, or the data buffered while no LF has arrived, may not
// grow beyond the limit.
class FtpLineReader {
 public:
  FtpLineReader(std::size_t maxLineLength = 16384,
                FtpMaxLineAction action = FtpMaxLineAction::Exception)
      : maxLineLength_(maxLineLength), action_(action) {}

  void SetLimit(std::size_t maxLineLength, FtpMaxLineAction action) {
    maxLineLength_ = maxLineLength;
    action_ = action;
  }

  // Appends received bytes. Call NextLine until it returns nothing before feeding more,
  // so the buffer never holds more than the limit plus one block.
  void Feed(std::string_view bytes);

  // The next complete line, or nothing when more bytes are needed. Raises
  // "Max. Zeilenlänge überschritten." for an over-long line with the exception action;
  // the over-long line is then dropped up to its LF so the stream stays usable.
  std::optional<std::string> NextLine();

  // Once the stream has ended: the next line, the last line even without LF, or nothing.
  std::optional<std::string> TakeRest();

  // Bytes received and not yet returned as lines.
  std::size_t Buffered() const { return buffer_.size() - start_; }

  void Clear();

 private:
  std::string TakeLine(std::size_t end, std::size_t next);
  void Compact();

  std::size_t maxLineLength_;
  FtpMaxLineAction action_;
  std::string buffer_;
  std::size_t start_ = 0;        // first unread byte in buffer_
  bool skipToLineEnd_ = false;   // dropping the rest of an over-long line
};

// Bounds of one reply: a multi-line reply that never ends must not eat all memory.
inline constexpr std::size_t kFtpMaxReplyLines = 10000;
inline constexpr std::size_t kFtpMaxReplyBytes = 4 * 1024 * 1024;

// Collects lines into replies, single- and multi-line.
class FtpReplyParser {
 public:
  void SetLimits(std::size_t maxLines, std::size_t maxBytes) {
    maxLines_ = maxLines;
    maxBytes_ = maxBytes;
  }

  // Takes one line as read; returns the reply when this line completes one. A reply that
  // grows past the line count or byte limit raises "Max. Antwortlänge überschritten."; the
  // lines collected so far are dropped.
  std::optional<FtpReply> PushLine(std::string_view line);

  // True while a multi-line reply is open.
  bool InReply() const { return !lines_.empty(); }

  void Clear() {
    lines_.clear();
    bytes_ = 0;
  }

 private:
  FtpReply Finish();

  std::vector<std::string> lines_;
  std::string endMarker_;
  std::size_t bytes_ = 0;  // text held in lines_
  std::size_t maxLines_ = kFtpMaxReplyLines;
  std::size_t maxBytes_ = kFtpMaxReplyBytes;
};

// Removes characters up to and including blank (control characters too) at both ends.
std::string FtpTrim(std::string_view text);
