#include "VokText.h"

#include <array>

namespace vok {

bool IsBlankText(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
}

// Walks the text once, compacting it in place: s[0..kept) is the text so far and never longer
// than what has been read. `prev` is the last character that counted, which stays a space after
// a space in front of a slash was dropped (so a following space or slash is dropped too).
void NormalizeCell(std::string& s) {
  char* const text = s.data();
  const size_t size = s.size();
  // Most cells are tidy already: find the first place a rule changes anything, cheaply.
  size_t i = 0;
  char prev = ' ';
  for (; i < size; ++i) {
    const char c = text[i];
    if ((c == ' ' || c == '/') && (prev == ' ' || prev == '/')) break;
    prev = c;
  }
  if (i == size) {
    if (size > 0 && (prev == ' ' || prev == '/')) s.pop_back();
    return;
  }
  // From there on the rules run one by one; `kept` bytes are final.
  size_t kept = i;
  for (; i < size; ++i) {
    const char c = text[i];
    if (c == ' ' && (prev == ' ' || prev == '/')) continue;
    if (c == '/' && kept == 0) continue;
    if (c == '/' && prev == '/') continue;
    if (c == '/' && prev == ' ') {
      text[kept - 1] = '/';  // the space before the slash goes; the slash takes its place
      continue;
    }
    text[kept++] = c;
    prev = c;
  }
  if (kept > 0 && (text[kept - 1] == ' ' || text[kept - 1] == '/')) --kept;
  s.resize(kept);
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
