#include "VokText.h"

#include <array>

namespace vok {

bool IsBlankText(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
}

// Walks the text once. The kept prefix is `out`; `prev` is the last character that counted,
// which stays a space after a space in front of a slash was dropped (so a following space or
// slash is dropped too).
void NormalizeCell(std::string& s) {
  std::string out;
  out.reserve(s.size());
  char prev = ' ';
  for (char c : s) {
    if (c == ' ' && (prev == ' ' || prev == '/')) continue;
    if (c == '/' && out.empty()) continue;
    if (c == '/' && prev == '/') continue;
    if (c == '/' && prev == ' ') {
      out.back() = '/';  // the space before the slash goes; the slash takes its place
      continue;
    }
    out += c;
    prev = c;
  }
  if (!out.empty() && (out.back() == ' ' || out.back() == '/')) out.pop_back();
  s = std::move(out);
}

std::string Normalized(std::string s) {
  NormalizeCell(s);
  return s;
}

std::string FoldAccents(std::string_view s) {
  static const std::array<char, 256> kFold = [] {
    std::array<char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<char>(i);
    t[0xE0] = 'a';
    t[0xE7] = 'c';
    t[0xE8] = t[0xE9] = t[0xEA] = t[0xEB] = 'e';
    t[0xEE] = t[0xEF] = 'i';
    t[0xF4] = 'o';
    t[0xF9] = 'u';
    return t;
  }();
  std::string out;
  out.reserve(s.size() + 2);
  for (char c : s) {
    const auto code = static_cast<unsigned char>(c);
    if (code == 0x9C) {
      out += "oe";
    } else {
      out += kFold[code];
    }
  }
  return out;
}

}  // namespace vok
