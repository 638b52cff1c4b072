#include "vokGridEdit.h"

#include <algorithm>
#include <optional>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "Win1252.h"
#include "vokGrid.h"

using vok::IsBlankText;

namespace {

// Upper-cased texts with how often each occurs, in one flat open-addressing table: a lookup is
// a hash and, on a hit, one comparison of the texts, so the answer is exact. The texts live in
// one buffer, so adding a text costs no allocation of its own. Counting lets a cell that is
// overwritten leave the index.
class UpperTextCounts {
 public:
  explicit UpperTextCounts(size_t expected) { Rehash(Capacity(expected)); }

  bool Contains(std::string_view text) {
    const size_t slot = Find(Prepare(text));
    return slot_[slot] != kEmpty && entries_[slot_[slot] - 1].count > 0;
  }
  void Add(std::string_view text) {
    const size_t slot = Find(Prepare(text));
    if (slot_[slot] != kEmpty) {
      ++entries_[slot_[slot] - 1].count;
      return;
    }
    entries_.push_back({scratchHash_, texts_.size(), scratch_.size(), 1});
    texts_ += scratch_;
    slot_[slot] = static_cast<std::uint32_t>(entries_.size());
    if (entries_.size() * 2 > slot_.size()) Rehash(slot_.size() * 2);
  }
  void Remove(std::string_view text) {
    const size_t slot = Find(Prepare(text));
    if (slot_[slot] != kEmpty && entries_[slot_[slot] - 1].count > 0) --entries_[slot_[slot] - 1].count;
  }

 private:
  static constexpr std::uint32_t kEmpty = 0;  // otherwise: entry index + 1
  struct Entry {
    size_t hash, offset, length;
    int count;
  };

  static size_t Capacity(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    return capacity;
  }

  // Upper-cases text into the scratch buffer and hashes it.
  size_t Prepare(std::string_view text) {
    scratch_.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
      scratch_[i] = static_cast<char>(win1252::UpperChar(static_cast<unsigned char>(text[i])));
    scratchHash_ = std::hash<std::string_view>{}(scratch_);
    return scratchHash_;
  }

  // The slot holding the scratch text, or the empty slot where it would go.
  size_t Find(size_t hash) const {
    const size_t mask = slot_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t index = slot_[slot];
      if (index == kEmpty) return slot;
      const Entry& e = entries_[index - 1];
      if (e.hash == hash && std::string_view(texts_).substr(e.offset, e.length) == scratch_)
        return slot;
    }
  }

  void Rehash(size_t capacity) {
    slot_.assign(capacity, kEmpty);
    const size_t mask = capacity - 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
      size_t slot = entries_[i].hash & mask;
      while (slot_[slot] != kEmpty) slot = (slot + 1) & mask;
      slot_[slot] = static_cast<std::uint32_t>(i + 1);
    }
  }

  std::vector<std::uint32_t> slot_;
  std::vector<Entry> entries_;
  std::string texts_;
  std::string scratch_;
  size_t scratchHash_ = 0;
};

// The word texts a table holds in columns 1 and 2, for the "already present" test: a source
// row is present when its column 1 text occurs in column 1 and its column 2 text in column 2,
// without regard to case, header included.
class PresenceIndex {
 public:
  explicit PresenceIndex(const VokTable& t)
      : col1_(static_cast<size_t>(t.RowCount())), col2_(static_cast<size_t>(t.RowCount())) {
    for (int r = 0; r < t.RowCount(); ++r) Add(t.Row(r));
  }

  bool Contains(const VokRow& row) { return col1_.Contains(row[1]) && col2_.Contains(row[2]); }
  void Add(const VokRow& row) {
    col1_.Add(row[1]);
    col2_.Add(row[2]);
  }
  void Remove(const VokRow& row) {
    col1_.Remove(row[1]);
    col2_.Remove(row[2]);
  }

 private:
  UpperTextCounts col1_, col2_;
};

bool BothWordsBlank(const VokRow& row) { return IsBlankText(row[1]) && IsBlankText(row[2]); }

bool LastRowBlank(const VokTable& t) {
  return t.RowCount() >= 1 && IsBlankText(GetRowText(t, t.RowCount() - 1));
}

// The cells a row gets when it goes through its row text, as an inserted row does: an empty
// cell comes back as a single space.
VokRow ThroughRowText(const VokRow& row) {
  VokTable scratch;
  scratch.SetRow(1, row);
  SetRowText(scratch, 1, GetRowText(scratch, 1));
  return scratch.Row(1);
}

// Decides, row by row, what a transfer brings into dst: the first qualifying row may fill
// dst's blank last row, the others are returned in the order they were taken.
struct TransferPlan {
  std::optional<VokRow> fillsLastRow;
  std::vector<VokRow> added;
  bool any() const { return fillsLastRow.has_value() || !added.empty(); }
};

class TransferPlanner {
 public:
  TransferPlanner(const VokTable& dst, StatusView* status)
      : dst_(dst), present_(dst), lastRowBlank_(LastRowBlank(dst)), status_(status) {
    if (status_) ShowStatus(*status_, 2, "");
  }

  // Takes one source row; stored is the row as it will stand in dst.
  void Take(const VokRow& row, bool throughRowText) {
    if (BothWordsBlank(row)) return;
    if (present_.Contains(row)) {
      if (!reported_ && status_) ShowStatus(*status_, 2, kRowsAlreadyPresent);
      reported_ = true;
      return;
    }
    if (lastRowBlank_) {
      present_.Remove(dst_.Row(dst_.RowCount() - 1));
      plan_.fillsLastRow = row;
      lastRowBlank_ = false;
      present_.Add(row);
      return;
    }
    plan_.added.push_back(throughRowText ? ThroughRowText(row) : row);
    present_.Add(plan_.added.back());
  }

  TransferPlan& Plan() { return plan_; }

 private:
  const VokTable& dst_;
  PresenceIndex present_;
  bool lastRowBlank_;
  StatusView* status_;
  bool reported_ = false;
  TransferPlan plan_;
};

// Puts rows into dst at index at in one insertion.
void InsertBlock(VokTable& dst, int at, std::vector<VokRow>& rows) {
  if (rows.empty()) return;
  const int count = static_cast<int>(rows.size());
  dst.InsertEmptyRows(at, count);
  auto& cells = dst.MutableRows();
  std::move(rows.begin(), rows.end(), cells.begin() + at);
  dst.NotifyCellsChanged(at, at + count - 1);
}

// Top and bottom of the marked range, limited to the data rows of t.
std::pair<int, int> MarkedDataRows(const VokTable& t) {
  return {std::max(t.marked.top, 1), std::min(t.marked.bottom, t.RowCount() - 1)};
}

void MarkModified(VokTable& t) {
  if (VokTableHost* host = t.Host()) host->MarkModified();
}

bool IsBoxPage(int page) { return page >= 0 && page < VokDocument::kBoxCount; }

}  // namespace

bool AppendRows(const VokTable& src, int first, int last, VokTable& dst, StatusView* status) {
  TransferPlanner planner(dst, status);
  const int from = std::max(first, 0);
  const int to = std::min(last, src.RowCount() - 1);
  for (int r = from; r <= to; ++r) planner.Take(src.Row(r), false);

  TransferPlan& plan = planner.Plan();
  if (plan.fillsLastRow) dst.SetRow(dst.RowCount() - 1, *plan.fillsLastRow);
  InsertBlock(dst, dst.RowCount(), plan.added);
  if (last >= first) TrimTable(dst);
  return plan.any();
}

bool InsertRowsAt(const VokTable& src, int first, int last, VokTable& dst, int at,
                  StatusView* status) {
  at = std::clamp(at, 1, dst.RowCount());
  TransferPlanner planner(dst, status);
  const int from = std::max(first, 0);
  const int to = std::min(last, src.RowCount() - 1);
  for (int r = to; r >= from; --r) planner.Take(src.Row(r), true);

  // Taken bottom-up, each to the same index: they end up in their order in src.
  TransferPlan& plan = planner.Plan();
  std::reverse(plan.added.begin(), plan.added.end());
  if (plan.fillsLastRow) dst.SetRow(dst.RowCount() - 1, *plan.fillsLastRow);
  const bool inserted = !plan.added.empty();
  InsertBlock(dst, at, plan.added);
  if (inserted) MarkModified(dst);
  if (last >= first) {
    TrimTable(dst);
    if (VokTableHost* host = dst.Host()) host->FocusRow(dst, at);
  }
  return plan.any();
}

// Same outcome as deleting the top marked row once per marked row, in one removal.
void DeleteMarkedRows(VokTable& t) {
  const auto [top, bottom] = MarkedDataRows(t);
  if (bottom < top) return;
  const int count = bottom - top + 1;
  if (top == 1 && count >= t.RowCount() - 1) {
    // Every data row goes: the first one stays, emptied.
    t.RemoveRows(2, t.RowCount() - 2);
    t.SetRow(1, VokRow{});
  } else {
    t.RemoveRows(top, count);
  }
  t.cursorRow = std::min(top, t.RowCount() - 1);
  if (t.cursorRow == t.RowCount() - 1 && t.Host()) t.Host()->ShowEnd(t);
}

void SwapMarkedCells(VokTable& t) {
  const auto [top, bottom] = MarkedDataRows(t);
  if (bottom < top) return;
  auto& rows = t.MutableRows();
  for (int r = top; r <= bottom; ++r) std::swap(rows[r][1], rows[r][2]);
  t.NotifyCellsChanged(top, bottom, 1, 2);
}

bool MoveMarkedRows(VokDocument& doc, int targetBox, StatusView* status) {
  const int page = doc.CurrentPage();
  if (!IsBoxPage(page) || targetBox < 1 || targetBox > VokDocument::kBoxCount ||
      targetBox == page + 1)
    return false;
  VokTable& source = doc.Current();
  if (!AppendRows(source, source.marked.top, source.marked.bottom, doc.Box(targetBox), status))
    return false;
  DeleteMarkedRows(source);
  MarkModified(source);
  return true;
}

int MoveTargetFromLeft(int left) {
  if (left < 0 || left >= 300) return 0;
  return left / 100 + 1;
}

EditMenuEnabling EditMenuState(VokDocument& doc) {
  const VokTable& t = doc.Current();
  const bool rowsMarked = t.marked.bottom >= t.marked.top;
  const VokTable& clip = doc.Clipboard();
  bool clipHasRows = false;
  for (int r = 1; r < clip.RowCount() && !clipHasRows; ++r)
    clipHasRows = !IsBlankText(GetRowText(clip, r));
  return {rowsMarked, rowsMarked, clipHasRows, rowsMarked};
}

void CopyMarkedRows(VokDocument& doc, StatusView* status) {
  if (!IsBoxPage(doc.CurrentPage())) return;
  const VokTable& t = doc.Current();
  VokTable& clip = doc.Clipboard();
  ResetTable(clip, GermanColumn(t), 2);
  AppendRows(t, t.marked.top, t.marked.bottom, clip, status);
}

void CutMarkedRows(VokDocument& doc, StatusView* status) {
  if (!IsBoxPage(doc.CurrentPage())) return;
  CopyMarkedRows(doc, status);
  DeleteMarkedRows(doc.Current());
  MarkModified(doc.Current());
}

bool PasteRows(VokDocument& doc, StatusView* status) {
  if (!IsBoxPage(doc.CurrentPage())) return false;
  VokTable& t = doc.Current();
  const VokTable& clip = doc.Clipboard();
  if (!InsertRowsAt(clip, 1, clip.RowCount() - 1, t, t.marked.bottom, status)) return false;
  MarkModified(t);
  return true;
}

bool DeleteMarkedRowsAsked(VokDocument& doc, Dialogs& dialogs) {
  if (dialogs.Message("Tirelo V", kReallyDelete, MsgButtons::YesNo, MsgIcon::Question) !=
      MsgResult::Yes)
    return false;
  DeleteMarkedRows(doc.Current());
  MarkModified(doc.Current());
  return true;
}

void InsertEmptyRow(VokDocument& doc) {
  VokTable& t = doc.Current();
  InsertRow(t, std::clamp(t.marked.top, 1, t.RowCount()), "");
  MarkModified(t);
}

void AppendEmptyRow(VokDocument& doc) {
  VokTable& t = doc.Current();
  InsertRow(t, t.RowCount(), "");
  MarkModified(t);
  if (VokTableHost* host = t.Host()) host->ShowEnd(t);
}

void SwapMarkedVocabulary(VokDocument& doc) {
  SwapMarkedCells(doc.Current());
  MarkModified(doc.Current());
}
