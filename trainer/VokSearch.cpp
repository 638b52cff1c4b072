#include "VokSearch.h"

#include "VokText.h"
#include "Win1252.h"

namespace {

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string Comparable(std::string s, const FindOptions& options) {
  s = vok::FoldAccents(s);
  return options.matchCase ? s : win1252::UpperAscii(s);
}

}  // namespace

MarkedRange FindMatch::Marking() const {
  if (inColumn1 && inColumn2) return {1, row, 2, row};
  const int col = inColumn1 ? 1 : 2;
  return {col, row, col, row};
}

std::optional<FindMatch> FindNext(const VokTable& t, const FindOptions& options) {
  std::string needle = Trimmed(options.text);
  if (needle.empty()) return std::nullopt;
  if (options.wholeWord) needle = " " + needle + " ";
  needle = Comparable(needle, options);

  const int last = t.RowCount() - 1;
  const bool marked = !t.marked.IsNone();
  int row = options.down ? (marked ? t.marked.top + 1 : 1) : (marked ? t.marked.top - 1 : last);
  const int step = options.down ? 1 : -1;
  for (; row >= 1 && row <= last; row += step) {
    FindMatch match{row, false, false};
    for (int col = 1; col <= 2; ++col) {
      std::string cell = t.Cell(col, row);
      if (options.wholeWord) cell = "  " + cell + "  ";
      const bool found = Comparable(cell, options).find(needle) != std::string::npos;
      (col == 1 ? match.inColumn1 : match.inColumn2) = found;
    }
    if (match.inColumn1 || match.inColumn2) return match;
  }
  return std::nullopt;
}
