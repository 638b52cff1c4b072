#pragma once
// Text of the system is Windows-1252: core strings are std::string holding single bytes, so
// every rule that counts characters, folds accents or upper-cases letters works byte by byte.
// These helpers convert at the edges (UTF-8 files, UTF-8 source literals, the file system).

#include <string>
#include <string_view>

namespace win1252 {

// UTF-8 to Windows-1252. A character without a Windows-1252 form becomes "?"; a malformed
// UTF-8 sequence yields one "?" per offending byte.
std::string FromUtf8(std::string_view utf8);
// The same into out, whose storage is reused (for readers converting many texts).
void AssignFromUtf8(std::string& out, std::string_view utf8);
// One character of UTF-8 at utf8[i] as Windows-1252 into out, "?" as above; returns the bytes
// it took, at least 1.
size_t TakeUtf8Char(std::string_view utf8, size_t i, char& out);

// Windows-1252 to UTF-8. The five unassigned codes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control characters of the same number so that every byte round-trips.
std::string ToUtf8(std::string_view ansi);

// Unicode code point of one Windows-1252 byte, and the byte of a code point (-1 if none).
char32_t ToCodePoint(unsigned char c);
int FromCodePoint(char32_t cp);

// The Windows-1252 case mapping: a-z become A-Z; 0xE0-0xFE except 0xF7 become 0x20 lower;
// 0x9A, 0x9C, 0x9E and 0xFF become 0x8A, 0x8C, 0x8E and 0x9F; every other code (ß included) stays.
unsigned char UpperChar(unsigned char c);
std::string Upper(std::string_view s);

// ASCII-only upper-casing (a to z); every other byte stays.
std::string UpperAscii(std::string_view s);

// True when the text, read as UTF-8, is well formed and contains a byte above 0x7F.
bool IsValidUtf8(std::string_view s);

}  // namespace win1252

// German literals are written in UTF-8 in the source; A("Französisch") gives the
// Windows-1252 bytes the core works with.
inline std::string A(std::string_view utf8) { return win1252::FromUtf8(utf8); }
