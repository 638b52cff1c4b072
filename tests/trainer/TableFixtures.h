#pragma once
// Helpers shared by the trainer's core tests.

#include <string>
#include <vector>

#include "VokTable.h"
#include "vokGrid.h"

// Records what operations ask of the window.
struct RecordingHost : VokTableHost {
  std::vector<int> focusedRows;
  int showEndCalls = 0;
  int modifiedCalls = 0;
  void FocusRow(VokTable&, int row) override { focusedRows.push_back(row); }
  void ShowEnd(VokTable&) override { ++showEndCalls; }
  void MarkModified() override { ++modifiedCalls; }
};

// Fills a box (German in column 2) with the given (lesson, col1, col2) rows.
inline void FillTable(VokTable& t, const std::vector<VokRow>& rows) {
  ResetTable(t, 2, static_cast<int>(rows.size()) + 1);
  for (size_t i = 0; i < rows.size(); ++i) t.SetRow(static_cast<int>(i) + 1, rows[i]);
}

inline std::vector<VokRow> DataRows(const VokTable& t) {
  std::vector<VokRow> rows;
  for (int r = 1; r < t.RowCount(); ++r) rows.push_back(t.Row(r));
  return rows;
}
