#include "vokGrid.h"

#include <algorithm>

using vok::NormalizeCell;

std::string GetRowText(const VokTable& t, int r) {
  const VokRow& row = t.Row(r);
  std::string text;
  text.reserve(row[0].size() + row[1].size() + row[2].size() + 6);
  for (const std::string& cell : row) {
    text += cell;
    text += "\r\n";
  }
  return text;
}

void SetRowText(VokTable& t, int r, std::string_view text) {
  if (r < 0 || r >= t.RowCount()) return;
  text = text.substr(0, text.find('\0'));
  // The cells are refilled in place so their storage is reused.
  VokRow& cells = t.MutableRows()[static_cast<size_t>(r)];
  for (std::string& cell : cells) cell.clear();
  size_t pos = 0;
  for (int col = 0; col < VokTable::kColCount && pos < text.size(); ++col) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (end == pos) {
      cells[col] = " ";
    } else {
      cells[col].assign(text.data() + pos, end - pos);
    }
    pos = end;
    if (pos < text.size()) pos += (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n') ? 2 : 1;
  }
  t.NotifyCellsChanged(r, r);
}

void ResetTable(VokTable& t, int germanColumn, int rowCount) {
  std::vector<VokRow> rows(static_cast<size_t>(std::max(rowCount, 1)));
  rows[0][0] = vok::kLektion;
  rows[0][germanColumn] = vok::kDeutsch;
  rows[0][3 - germanColumn] = vok::kFranzoesisch;
  t.ReplaceRows(std::move(rows));
}

int GermanColumn(const VokTable& t) { return t.Cell(1, 0) == vok::kDeutsch ? 1 : 2; }

int FrenchColumn(const VokTable& t) { return t.Cell(1, 0) == vok::kFranzoesisch ? 1 : 2; }

void InsertRow(VokTable& t, int r, std::string_view rowText) {
  t.InsertEmptyRows(r, 1);
  SetRowText(t, r, rowText);
  if (VokTableHost* host = t.Host()) {
    host->FocusRow(t, r);
    host->MarkModified();
  }
}

void DeleteRow(VokTable& t, int r) {
  t.cursorRow = r;
  t.RemoveRows(r, 1);
  if (t.cursorRow == t.RowCount() - 1 && t.Host()) t.Host()->ShowEnd(t);
}

void CopyRowTo(const VokTable& src, int srcRow, VokTable& dst, int dstRow) {
  VokRow cells = src.Row(srcRow);  // copied first: src and dst may be the same table
  dst.InsertEmptyRows(dstRow, 1);
  dst.SetRow(dstRow, std::move(cells));
}

void AppendRowCopy(const VokTable& src, int srcRow, VokTable& dst) {
  CopyRowTo(src, srcRow, dst, dst.RowCount());
}

void SwapColumns(VokTable& t) { t.SwapWordColumns(); }

int CountAlternativesOfLength(const VokTable& t, int n) {
  int count = 0;
  for (int r = 1; r < t.RowCount(); ++r) {
    std::string s = t.Cell(1, r);
    for (size_t open; (open = s.find('(')) != std::string::npos;) {
      const size_t close = s.find(')', open);
      // An unclosed "(" drops the rest of the text.
      s.erase(open, close == std::string::npos ? std::string::npos : close - open + 1);
    }
    NormalizeCell(s);
    if (s.empty()) continue;
    size_t start = 0;
    for (;;) {
      const size_t slash = s.find('/', start);
      const size_t end = slash == std::string::npos ? s.size() : slash;
      if (static_cast<int>(end - start) == n) ++count;
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
  }
  return count;
}

void TrimTable(VokTable& t) {
  auto& rows = t.MutableRows();
  for (size_t r = 1; r < rows.size(); ++r) {
    NormalizeCell(rows[r][1]);
    NormalizeCell(rows[r][2]);
  }
  t.NotifyCellsChanged(1, t.RowCount() - 1, 1, 2);
}

// Gives exactly the result of deleting empty rows one by one from the top (re-examining the
// same index after each removal), in one pass: kept rows slide up in order, and the cursor ends
// where the last removal put it.
void CompactTable(VokTable& t) {
  TrimTable(t);
  const std::vector<VokRow>& rows = t.MutableRows();
  const auto isEmpty = [](const VokRow& row) { return row[1].empty() && row[2].empty(); };
  if (rows.size() < 2 || std::none_of(rows.begin() + 1, rows.end(), isEmpty)) return;

  std::vector<VokRow> kept;
  kept.reserve(rows.size());
  kept.push_back(rows[0]);
  int lastRemovedAt = -1;
  for (size_t r = 1; r < rows.size(); ++r) {
    if (isEmpty(rows[r])) {
      lastRemovedAt = static_cast<int>(kept.size());
    } else {
      kept.push_back(rows[r]);
    }
  }
  if (kept.size() == 1) {
    // Every data row was empty: the last one stays, its three cells emptied.
    kept.emplace_back();
    lastRemovedAt = rows.size() > 2 ? 1 : -1;
  }
  t.ReplaceRows(std::move(kept));

  if (lastRemovedAt != -1) {
    t.cursorRow = lastRemovedAt;
    if (t.cursorRow == t.RowCount() - 1 && t.Host()) t.Host()->ShowEnd(t);
  }
  if (t.cursorRow > t.RowCount() - 1) t.cursorRow = t.RowCount() - 1;
}

void CompactAllBoxes(VokDocument& doc) {
  const MarkedRange noted = doc.Current().marked;
  for (int box = 1; box <= VokDocument::kBoxCount; ++box) CompactTable(doc.Box(box));
  doc.Current().marked = noted;
}

int CountVocabRows(VokTable& t) {
  CompactTable(t);
  int count = 0;
  for (int r = 1; r < t.RowCount(); ++r)
    if (!t.Cell(1, r).empty() || !t.Cell(2, r).empty()) ++count;
  return count;
}
