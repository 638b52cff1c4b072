#pragma once
// The text form of a vocabulary document used by tirelo-evd: UTF-8, for each box a line
// "#box<TAB>k" and then one line per row, header first, the three cells separated by a TAB.
// Inside a cell a TAB is written "\t" and a backslash "\\".

#include <string>
#include <string_view>

#include "VokDocument.h"

std::string DumpText(const VokDocument& doc);

// Fills the three boxes from the text; a box without a section gets the new-document state.
// False with a German message naming the line when the text cannot be taken.
bool ParseText(std::string_view text, VokDocument& doc, std::string& error);
