#pragma once
// Sorting of a box: alphabetically by one word column, or by lesson and then alphabetically.
// The keys fold French accents and ignore letter case; the quicksort below fixes the order in
// which rows with equal keys come out, and learners see that order, so it is kept exactly.

#include <string>
#include <string_view>

#include "VokTable.h"

enum class SortKind { Alphabetic, ByLesson };
enum class SortRange { Marked, Whole };

// The three choices of the sort dialog, with the dialog's first defaults.
struct SortOptions {
  SortKind kind = SortKind::ByLesson;
  int column = 1;  // word column 1 or 2
  SortRange range = SortRange::Whole;
  bool operator==(const SortOptions&) const = default;
};

// Marks the end of the lesson part of a key; it lies below every character a cell holds.
inline constexpr char kLessonEnd = '\x01';

// The sort key of data row r: lesson cell, the code-1 character, the cell of the sort column.
std::string SortKeyText(const VokTable& t, int r, int column);

// A key folded, split after its first code-1 character and upper-cased, ready for comparing.
struct PreparedSortKey {
  std::string lesson;  // up to and including the code-1 character
  std::string word;    // everything after it
};
PreparedSortKey PrepareSortKey(std::string_view key);

// Negative when x comes before y, positive when after, 0 when equal.
int ComparePrepared(const PreparedSortKey& x, const PreparedSortKey& y, SortKind kind);
int CompareSortKeys(std::string_view x, std::string_view y, SortKind kind);

// Sorts the rows of the chosen range in place; the header never moves. With the marked-range
// choice and nothing marked, nothing happens.
void SortTable(VokTable& t, const SortOptions& options);

// "Liste sortieren" after the dialog was confirmed: compaction, sorting, the view focused at
// the top of the marked range, and the document modified.
void SortList(VokTable& t, const SortOptions& options);
