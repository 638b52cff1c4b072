// What ladeko-ftp writes to a terminal: names from the server (listings, the current folder,
// error texts, trace lines) may hold control characters that a terminal would obey, so every
// output point goes through TerminalText.
#pragma once

#include <functional>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>

// The text with every control character written as "\xNN" (FtpPrintableText, the rule the
// tool's log book follows too).
std::string TerminalText(std::string_view text);

// The same for a message of several lines: each line escaped, the line ends kept.
std::string TerminalLines(std::string_view text);

// A stream buffer that hands each finished line through TerminalText to another stream, for
// the log lines the tree walks write.
class TerminalLineBuffer : public std::streambuf {
 public:
  explicit TerminalLineBuffer(std::ostream& target) : target_(target) {}
  ~TerminalLineBuffer() override;
  TerminalLineBuffer(const TerminalLineBuffer&) = delete;
  TerminalLineBuffer& operator=(const TerminalLineBuffer&) = delete;
  // Runs before each line goes out (the progress line makes room), and the line is flushed.
  void BeforeEachLine(std::function<void()> hook) { beforeLine_ = std::move(hook); }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  void Put(char c);
  std::ostream& target_;
  std::string line_;
  std::function<void()> beforeLine_;
};
