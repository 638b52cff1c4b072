#pragma once
// The four tables of the trainer: the learning boxes 1 to 3 and the hidden clipboard table.
// Pages 0, 1, 2 show the boxes, page 3 the clipboard table; the current table is the one on
// the page shown.

#include <array>

#include "VokTable.h"

class VokDocument {
 public:
  static constexpr int kBoxCount = 3;
  static constexpr int kClipboardPage = 3;

  VokDocument();

  VokTable& Box(int number) { return boxes_.at(number - 1); }  // number 1..3
  const VokTable& Box(int number) const { return boxes_.at(number - 1); }
  VokTable& Clipboard() { return clipboard_; }
  VokTable& Page(int page) { return page == kClipboardPage ? clipboard_ : boxes_.at(page); }
  VokTable& Current() { return Page(currentPage_); }

  int CurrentPage() const { return currentPage_; }
  void SetCurrentPage(int page) { currentPage_ = page; }

  // The page (0..3) that shows the given table, or -1.
  int PageOf(const VokTable& table) const;

  // The new-document state of the boxes: German in column 2, one empty data row each.
  void ResetBoxes();

 private:
  std::array<VokTable, kBoxCount> boxes_;
  VokTable clipboard_;
  int currentPage_ = 0;
};
