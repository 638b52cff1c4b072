#include "vokSort.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "VokText.h"
#include "Win1252.h"
#include "vokGrid.h"

namespace {

// Unsigned byte order; a proper prefix comes first. std::string_view::compare compares through
// char_traits<char>, which orders as unsigned char, as Windows-1252 codes need.
int CompareBytes(std::string_view x, std::string_view y) {
  const int c = x.compare(y);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// The quicksort of the sort command. Keys are prepared once per row and carried along with
// the rows through a permutation: every comparison and every exchange is the one the
// procedure makes when it builds the keys afresh from the table.
class RowQuicksort {
 public:
  RowQuicksort(std::vector<PreparedSortKey> keys, SortKind kind, int lo)
      : keys_(std::move(keys)), kind_(kind), lo_(lo), order_(keys_.size()) {
    for (size_t k = 0; k < order_.size(); ++k) order_[k] = k;
  }

  // Sorts rows lo..hi. The two parts left by a partition are disjoint, so sorting the smaller
  // one first and looping on the larger gives the same rows as "lo..j, then i..hi" while the
  // depth of recursion stays logarithmic.
  void Sort(int lo, int hi) {
    while (lo < hi) {
      auto [i, j] = Partition(lo, hi);
      if (j - lo < hi - i) {
        Sort(lo, j);
        lo = i;
      } else {
        Sort(i, hi);
        hi = j;
      }
    }
  }

  // The original row (relative to lo) that ends up at each position of the range.
  const std::vector<size_t>& Order() const { return order_; }

 private:
  const PreparedSortKey& KeyAt(int row) const { return keys_[order_[row - lo_]]; }

  std::pair<int, int> Partition(int lo, int hi) {
    const PreparedSortKey& pivot = KeyAt(lo + (hi - lo) / 2);
    int i = lo, j = hi;
    while (i <= j) {
      while (ComparePrepared(KeyAt(i), pivot, kind_) < 0) ++i;
      while (ComparePrepared(KeyAt(j), pivot, kind_) > 0) --j;
      if (i <= j) {
        std::swap(order_[i - lo_], order_[j - lo_]);
        ++i;
        --j;
      }
    }
    return {i, j};
  }

  std::vector<PreparedSortKey> keys_;  // never reordered, so the pivot reference stays valid
  SortKind kind_;
  int lo_;
  std::vector<size_t> order_;
};

}  // namespace

std::string SortKeyText(const VokTable& t, int r, int column) {
  std::string key = t.Cell(0, r);
  key += kLessonEnd;
  key += t.Cell(column, r);
  return key;
}

PreparedSortKey PrepareSortKey(std::string_view key) {
  const std::string folded = vok::FoldAccents(key);
  const size_t end = folded.find(kLessonEnd);
  const std::string_view all(folded);
  if (end == std::string::npos) return {win1252::Upper(all), std::string()};
  return {win1252::Upper(all.substr(0, end + 1)), win1252::Upper(all.substr(end + 1))};
}

int ComparePrepared(const PreparedSortKey& x, const PreparedSortKey& y, SortKind kind) {
  if (kind == SortKind::ByLesson) {
    const int lesson = CompareBytes(x.lesson, y.lesson);
    if (lesson != 0) return lesson;
  }
  return CompareBytes(x.word, y.word);
}

int CompareSortKeys(std::string_view x, std::string_view y, SortKind kind) {
  return ComparePrepared(PrepareSortKey(x), PrepareSortKey(y), kind);
}

void SortTable(VokTable& t, const SortOptions& options) {
  int lo = 1, hi = t.RowCount() - 1;
  if (options.range == SortRange::Marked) {
    if (t.marked.top < 0) return;
    // After compaction the marked range may reach past the last row; the header never moves.
    lo = std::max(1, std::min(t.marked.top, t.marked.bottom));
    hi = std::min(hi, std::max(t.marked.top, t.marked.bottom));
  }
  if (lo >= hi) return;

  const int column = options.column == 2 ? 2 : 1;
  std::vector<PreparedSortKey> keys;
  keys.reserve(static_cast<size_t>(hi - lo + 1));
  for (int r = lo; r <= hi; ++r) keys.push_back(PrepareSortKey(SortKeyText(t, r, column)));

  RowQuicksort sorter(std::move(keys), options.kind, lo);
  sorter.Sort(lo, hi);

  std::vector<VokRow>& rows = t.MutableRows();
  std::vector<VokRow> range;
  range.reserve(sorter.Order().size());
  for (size_t from : sorter.Order()) range.push_back(std::move(rows[lo + from]));
  std::move(range.begin(), range.end(), rows.begin() + lo);
  t.NotifyCellsChanged(lo, hi);
}

void SortList(VokTable& t, const SortOptions& options) {
  CompactTable(t);
  SortTable(t, options);
  // Without a marked range the cursor cell is the selection, as in write mode.
  int top = t.marked.top >= 0 ? std::min(t.marked.top, t.marked.bottom) : t.cursorRow;
  top = std::clamp(top, 1, std::max(1, t.RowCount() - 1));
  if (VokTableHost* host = t.Host()) {
    host->FocusRow(t, top);
    host->MarkModified();
  }
}
