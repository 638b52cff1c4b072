#pragma once
// One table of vocabulary: a learning box or the clipboard table. Three columns (lesson tag,
// two word columns); row 0 is the header whose word-column titles tell which language a
// column holds. Cells are Windows-1252 single-line texts; a missing cell is an empty one.

#include <array>
#include <string>
#include <vector>

using VokRow = std::array<std::string, 3>;

// The marked range of a table; all four values -1 when nothing is marked.
struct MarkedRange {
  int left = -1, top = -1, right = -1, bottom = -1;
  bool IsNone() const { return left == -1 && top == -1 && right == -1 && bottom == -1; }
  bool operator==(const MarkedRange&) const = default;
};

// Receives every change of the table's shape and cells, in begin/end pairs so a Qt model can
// forward them unchanged. A view model implements it.
class VokTableListener {
 public:
  virtual ~VokTableListener() = default;
  virtual void BeginInsertRows(int first, int last) = 0;
  virtual void EndInsertRows() = 0;
  virtual void BeginRemoveRows(int first, int last) = 0;
  virtual void EndRemoveRows() = 0;
  virtual void BeginMoveRow(int from, int to) = 0;
  virtual void EndMoveRow() = 0;
  virtual void CellsChanged(int firstRow, int lastRow, int firstCol, int lastCol) = 0;
  virtual void BeginReset() = 0;
  virtual void EndReset() = 0;
};

class VokTable;

// What an operation asks of the window around a table: focus and scrolling of the view, and
// the document's modified flag. The main window implements it; tests record the calls.
class VokTableHost {
 public:
  virtual ~VokTableHost() = default;
  virtual void FocusRow(VokTable& table, int row) = 0;  // take focus, cursor refreshed at row
  virtual void ShowEnd(VokTable& table) = 0;            // the view goes to the table's end
  virtual void MarkModified() = 0;
};

class VokTable {
 public:
  static constexpr int kColCount = 3;

  VokTable();
  VokTable(const VokTable&) = delete;
  VokTable& operator=(const VokTable&) = delete;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Growing yields empty rows; shrinking drops the rows past the new count.
  void SetRowCount(int count);

  const std::string& Cell(int col, int row) const;
  // Writes beyond the row count are ignored: rows past the end hold nothing.
  void SetCell(int col, int row, std::string text);
  const VokRow& Row(int row) const;
  void SetRow(int row, VokRow cells);

  // Shape changes used by the operations; each notifies the listener.
  void InsertEmptyRows(int at, int count);
  void RemoveRows(int at, int count);
  void MoveRow(int from, int to);
  void SwapWordColumns();

  // Direct access for whole-table algorithms, which call NotifyAllChanged or a
  // ReplaceRows pair afterwards.
  std::vector<VokRow>& MutableRows() { return rows_; }
  void NotifyCellsChanged(int firstRow, int lastRow, int firstCol = 0, int lastCol = 2);
  void NotifyAllChanged();
  // Replaces every row at once (a reset of the view).
  void ReplaceRows(std::vector<VokRow> rows);

  int cursorCol = 1;
  int cursorRow = 1;
  MarkedRange marked;

  void SetListener(VokTableListener* listener) { listener_ = listener; }
  void SetHost(VokTableHost* host) { host_ = host; }
  VokTableHost* Host() const { return host_; }

 private:
  bool ValidRow(int row) const { return row >= 0 && row < RowCount(); }

  std::vector<VokRow> rows_;
  VokTableListener* listener_ = nullptr;
  VokTableHost* host_ = nullptr;
};
