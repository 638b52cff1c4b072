#pragma once
// The search for words in a table, run each time "find next" is pressed.

#include <optional>
#include <string>

#include "VokTable.h"

struct FindOptions {
  std::string text;
  bool down = true;
  bool wholeWord = false;
  bool matchCase = false;
};

// A match: the row, and which word cells hold the text.
struct FindMatch {
  int row = 0;
  bool inColumn1 = false;
  bool inColumn2 = false;
  // The marking that shows the match: both word cells, or the one that matched.
  MarkedRange Marking() const;
};

// Searches the word columns from the row after (or before) the top of the marked range, or
// from the first (or last) row when nothing is marked. Accents are folded on both sides, so
// "coeur" finds "cœur"; without match case the ASCII letters are compared upper-cased; whole
// words are delimited by spaces only. Nothing found gives no match.
std::optional<FindMatch> FindNext(const VokTable& t, const FindOptions& options);
