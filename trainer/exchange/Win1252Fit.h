#pragma once
// Characters of other lists that Windows-1252 has no code for, where the text has an obvious
// form in it all the same: a typographic space, dash, quote or ligature, a character that
// shows nothing, or a letter written as base letter plus combining accent (as some systems
// store "é"). Anything else has no form and leaves its row out.

#include <string>

namespace win1252fit {

// The Windows-1252 text standing for a code point without a code of its own: a space for
// U+2002, "-" for U+2011, "fi" for U+FB01, nothing for U+200B. False when there is none.
bool ObviousForm(char32_t cp, std::string& out);

// Puts a combining accent (U+0300 and following) onto the letter before it, as one
// Windows-1252 letter ("e" + U+0301 is "é"). False when that letter does not exist.
bool ComposeAccent(char& letter, char32_t accent);

}  // namespace win1252fit
