#include "VokDocument.h"

#include "vokGrid.h"

VokDocument::VokDocument() {
  ResetBoxes();
  ResetTable(clipboard_, 1, 2);
}

int VokDocument::PageOf(const VokTable& table) const {
  for (int i = 0; i < kBoxCount; ++i)
    if (&boxes_[i] == &table) return i;
  return &table == &clipboard_ ? kClipboardPage : -1;
}

void VokDocument::ResetBoxes() {
  for (VokTable& box : boxes_) ResetTable(box, 2, 2);
}
