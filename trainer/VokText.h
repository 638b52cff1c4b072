#pragma once
// Rules on single cell texts (Windows-1252 bytes).

#include <string>
#include <string_view>

namespace vok {

// Header titles of a table.
inline const std::string kLektion = "Lektion";
inline const std::string kDeutsch = "Deutsch";
inline const std::string kFranzoesisch = "Franz\xF6sisch";

// True if s is empty or every character is a space or control character (code 32 or less).
bool IsBlankText(std::string_view s);

// Tidies a word cell: leading spaces and slashes go, runs of spaces shrink to one, spaces
// around a slash go, runs of slashes shrink to one, and the text never ends in a space or
// slash. The slash separates alternative translations.
void NormalizeCell(std::string& s);
std::string Normalized(std::string s);

// Folds the French accents used for sort and search keys: œ becomes "oe"; à ç è é ê ë î ï ô ù
// lose their accent. Capitals, â, û and the German letters stay.
std::string FoldAccents(std::string_view s);

}  // namespace vok
