#pragma once
// Cells of flash-card programs that hold HTML ("#html:true"): the text they show. Tags are
// removed, those that break a line (<br>, <div>, <p>, <li>, ...) become a blank; every named
// character reference of HTML 4 and every numeric one is decoded; a "<" that opens no tag
// ("2 < 3") stays. Runs of blanks become one blank, as a browser shows them.

#include <string>
#include <string_view>

// UTF-8 in, UTF-8 out. A numeric reference to nothing (0, a surrogate, beyond U+10FFFF) gives
// U+FFFD; 128 to 159 give the characters Windows-1252 has there, as browsers do.
std::string PlainFromHtml(std::string_view utf8);

// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);
