#include "Win1252.h"

#include "Utf8Chars.h"

#include <array>

namespace win1252 {
namespace {

// Code points of 0x80..0x9F; the unassigned codes keep their C1 control value.
constexpr std::array<char32_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when malformed.
size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  size_t len = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMinForLength[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinForLength[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

}  // namespace

size_t DecodeUtf8Char(std::string_view s, size_t i, char32_t& cp) { return i < s.size() ? DecodeUtf8(s, i, cp) : 0; }

void AppendUtf8Char(std::string& out, char32_t cp) { AppendUtf8(out, cp); }

char32_t ToCodePoint(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) return kHighTable[c - 0x80];
  return c;
}

int FromCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (size_t k = 0; k < kHighTable.size(); ++k)
    if (kHighTable[k] == cp) return static_cast<int>(0x80 + k);
  return -1;
}

void AssignFromUtf8(std::string& out, std::string_view utf8) {
  // The result is never longer than the input: written by index, then cut to size.
  out.resize(utf8.size());
  char* const to = out.data();
  const char* const from = utf8.data();
  const size_t size = utf8.size();
  size_t n = 0;
  for (size_t i = 0; i < size;) {
    const auto byte = static_cast<unsigned char>(from[i]);
    if (byte < 0x80) {
      to[n++] = static_cast<char>(byte);
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t len = DecodeUtf8(utf8, i, cp);
    if (len == 0) {
      to[n++] = '?';
      ++i;
      continue;
    }
    const int b = FromCodePoint(cp);
    to[n++] = b < 0 ? '?' : static_cast<char>(b);
    i += len;
  }
  out.resize(n);
}

size_t TakeUtf8Char(std::string_view utf8, size_t i, char& out) {
  char32_t cp = 0;
  const size_t len = DecodeUtf8(utf8, i, cp);
  if (len == 0) {
    out = '?';
    return 1;
  }
  const int b = FromCodePoint(cp);
  out = b < 0 ? '?' : static_cast<char>(b);
  return len;
}

std::string FromUtf8(std::string_view utf8) {
  std::string out;
  AssignFromUtf8(out, utf8);
  return out;
}

std::string ToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 8);
  for (char c : ansi) AppendUtf8(out, ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

unsigned char UpperChar(unsigned char c) {
  if (c >= 'a' && c <= 'z') return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
  return out;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return out;
}

bool IsValidUtf8(std::string_view s) {
  bool high = false;
  for (size_t i = 0; i < s.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(s, i, cp);
    if (len == 0) return false;
    high = high || cp >= 0x80;
    i += len;
  }
  return high;
}

}  // namespace win1252
