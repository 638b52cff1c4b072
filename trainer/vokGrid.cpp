#include "vokGrid.h"

#include <algorithm>

#include "Win1252.h"

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

namespace {

// SplitRowText for UTF-8 text in one pass: each line is converted as it is split (CR, LF and
// NUL are single bytes in UTF-8 as well), through a small buffer so each cell is stored once.
void SplitUtf8RowText(std::string_view text, VokRow& cells) {
  const size_t size = text.size();
  size_t pos = 0;
  char line[256];
  for (int col = 0; col < VokTable::kColCount && pos < size; ++col) {
    std::string& cell = cells[col];
    size_t n = 0;
    bool nul = false;
    while (pos < size) {
      const auto byte = static_cast<unsigned char>(text[pos]);
      if (byte == '\r' || byte == '\n') break;
      if (byte == 0) {
        nul = true;  // the text ends here
        break;
      }
      if (byte < 0x80) {
        line[n] = static_cast<char>(byte);
        ++pos;
      } else {
        pos += win1252::TakeUtf8Char(text, pos, line[n]);
      }
      if (++n == sizeof line) {
        cell.append(line, n);
        n = 0;
      }
    }
    cell.append(line, n);
    if (nul) break;  // a line cut short by the NUL keeps its bytes; an empty one is no line
    if (cell.empty()) cell = " ";
    if (pos < size) pos += (text[pos] == '\r' && pos + 1 < size && text[pos + 1] == '\n') ? 2 : 1;
  }
}

}  // namespace

void SplitRowText(std::string_view text, VokRow& cells, bool utf8) {
  // The cells are refilled in place so their storage is reused.
  for (std::string& cell : cells) cell.clear();
  if (utf8) {
    SplitUtf8RowText(text, cells);
    return;
  }
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  const char* const data = text.data();
  const size_t size = text.size();
  size_t pos = 0;
  for (int col = 0; col < VokTable::kColCount && pos < size; ++col) {
    size_t end = pos;
    while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
    if (end == pos) {
      cells[col] = " ";
    } else {
      cells[col].assign(data + pos, end - pos);
    }
    pos = end;
    if (pos < size) pos += (data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n') ? 2 : 1;
  }
}

void SetRowText(VokTable& t, int r, std::string_view text) {
  if (r < 0 || r >= t.RowCount()) return;
  SplitRowText(text, t.MutableRows()[static_cast<size_t>(r)]);
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

void CompactTable(VokTable& t) {
  TrimTable(t);
  RemoveEmptyRows(t);
}

// Gives exactly the result of deleting empty rows one by one from the top (re-examining the
// same index after each removal), in one pass: kept rows slide up in order, and the cursor ends
// where the last removal put it.
void RemoveEmptyRows(VokTable& t) {
  const std::vector<VokRow>& rows = t.MutableRows();
  const auto isEmpty = [](const VokRow& row) { return row[1].empty() && row[2].empty(); };
  // The cursor is brought inside the table whether or not a row goes.
  const auto clampCursor = [&t] {
    if (t.cursorRow > t.RowCount() - 1) t.cursorRow = t.RowCount() - 1;
  };
  if (rows.size() < 2 || std::none_of(rows.begin() + 1, rows.end(), isEmpty)) {
    clampCursor();
    return;
  }

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
  clampCursor();
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
