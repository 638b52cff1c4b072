#include "LadekoTerminal.h"

#include "FtpPrintable.h"

std::string TerminalText(std::string_view text) { return FtpPrintableText(text); }

std::string TerminalLines(std::string_view text) {
  std::string out;
  for (;;) {
    const std::size_t end = text.find('\n');
    out += TerminalText(text.substr(0, end));
    if (end == std::string_view::npos) return out;
    out += '\n';
    text.remove_prefix(end + 1);
  }
}

TerminalLineBuffer::~TerminalLineBuffer() { sync(); }

void TerminalLineBuffer::Put(char c) {
  if (c != '\n') {
    line_ += c;
    return;
  }
  if (beforeLine_) beforeLine_();
  target_ << TerminalText(line_) << '\n';
  if (beforeLine_) target_.flush();
  line_.clear();
}

TerminalLineBuffer::int_type TerminalLineBuffer::overflow(int_type c) {
  if (!traits_type::eq_int_type(c, traits_type::eof())) Put(traits_type::to_char_type(c));
  return traits_type::not_eof(c);
}

std::streamsize TerminalLineBuffer::xsputn(const char* s, std::streamsize n) {
  for (std::streamsize i = 0; i < n; ++i) Put(s[i]);
  return n;
}

// An unfinished line goes out as it is (escaped) when the stream is flushed or ends.
int TerminalLineBuffer::sync() {
  if (!line_.empty()) target_ << TerminalText(line_);
  line_.clear();
  target_.flush();
  return 0;
}
