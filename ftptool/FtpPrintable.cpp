#include "FtpPrintable.h"

#include <cstdint>

namespace {

void AppendEscaped(std::string& out, unsigned value) {
  static const char kDigits[] = "0123456789abcdef";
  out += "\\x";
  out += kDigits[(value >> 4) & 0xF];
  out += kDigits[value & 0xF];
}

// Length of the well-formed UTF-8 sequence at text[at] (2-4), or 0 when there is none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(at);
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 0 || at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

std::string FtpPrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::uint8_t c = static_cast<std::uint8_t>(text[at]);
    if (c < 0x20 || c == 0x7F) {
      AppendEscaped(out, c);
      ++at;
      continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++at;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      AppendEscaped(out, c);  // a stray byte: some terminals take 0x9B alone as CSI
      ++at;
    } else if (c == 0xC2 && static_cast<std::uint8_t>(text[at + 1]) < 0xA0) {
      AppendEscaped(out, static_cast<std::uint8_t>(text[at + 1]));  // U+0080-U+009F
      at += 2;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}
