#pragma once
// Single UTF-8 characters, for code that works on text in its own encoding (names as a server
// sends them) rather than on the system's Windows-1252 strings.

#include <string>
#include <string_view>

namespace win1252 {

// One UTF-8 character at s[i]: its code point into cp and its length, 0 when the bytes there
// are no well-formed character (overlong forms and surrogates included).
size_t DecodeUtf8Char(std::string_view s, size_t i, char32_t& cp);
// A code point appended to out as UTF-8.
void AppendUtf8Char(std::string& out, char32_t cp);

}  // namespace win1252
