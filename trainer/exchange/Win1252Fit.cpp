#include "Win1252Fit.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace win1252fit {

namespace {

struct Form {
  char32_t cp;
  std::string_view text;
};

// Sorted by code point.
constexpr std::array<Form, 42> kForms = {{
    {0x2000, " "},   {0x2001, " "},    {0x2002, " "},    {0x2003, " "},    {0x2004, " "},  {0x2005, " "},
    {0x2006, " "},   {0x2007, " "},    {0x2008, " "},    {0x2009, " "},    {0x200A, " "},  {0x200B, ""},
    {0x200C, ""},    {0x200D, ""},     {0x200E, ""},     {0x200F, ""},     {0x2010, "-"},  {0x2011, "-"},
    {0x2012, "-"},   {0x2015, "\x97"}, {0x201B, "\x92"}, {0x201F, "\x94"}, {0x2024, "."},  {0x202F, " "},
    {0x2032, "'"},   {0x2033, "\""},   {0x2043, "-"},    {0x2044, "/"},    {0x205F, " "},  {0x2060, ""},
    {0x2212, "-"},   {0x3000, " "},    {0xFB00, "ff"},   {0xFB01, "fi"},   {0xFB02, "fl"}, {0xFB03, "ffi"},
    {0xFB04, "ffl"}, {0xFB05, "st"},   {0xFB06, "st"},   {0xFEFF, ""},     {0xFF0C, ","},  {0xFF1B, ";"},
}};

// For each accent the letters it goes onto and the Windows-1252 letters they make.
struct Accent {
  char32_t mark;
  std::string_view bases;
  std::string_view composed;
};

constexpr std::array<Accent, 8> kAccents = {{
    {0x0300, "AEIOUaeiou", "\xC0\xC8\xCC\xD2\xD9\xE0\xE8\xEC\xF2\xF9"},
    {0x0301, "AEIOUYaeiouy", "\xC1\xC9\xCD\xD3\xDA\xDD\xE1\xE9\xED\xF3\xFA\xFD"},
    {0x0302, "AEIOUaeiou", "\xC2\xCA\xCE\xD4\xDB\xE2\xEA\xEE\xF4\xFB"},
    {0x0303, "ANOano", "\xC3\xD1\xD5\xE3\xF1\xF5"},
    {0x0308, "AEIOUYaeiouy", "\xC4\xCB\xCF\xD6\xDC\x9F\xE4\xEB\xEF\xF6\xFC\xFF"},
    {0x030A, "Aa", "\xC5\xE5"},
    {0x030C, "SZsz", "\x8A\x8E\x9A\x9E"},
    {0x0327, "Cc", "\xC7\xE7"},
}};

}  // namespace

bool ObviousForm(char32_t cp, std::string& out) {
  const auto at =
      std::lower_bound(kForms.begin(), kForms.end(), cp, [](const Form& f, char32_t c) { return f.cp < c; });
  if (at == kForms.end() || at->cp != cp) return false;
  out.assign(at->text);
  return true;
}

bool ComposeAccent(char& letter, char32_t accent) {
  for (const Accent& a : kAccents) {
    if (a.mark != accent) continue;
    const size_t at = a.bases.find(letter);
    if (at == std::string_view::npos) return false;
    letter = a.composed[at];
    return true;
  }
  return false;
}

}  // namespace win1252fit
