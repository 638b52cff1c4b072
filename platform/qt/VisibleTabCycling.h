#pragma once
// Ctrl+Tab and Ctrl+Shift+Tab on a page control go to the next or previous page whose tab is
// visible and enabled. The page control's own handling looks only at the enabled state, so a
// page whose tab is hidden (the tool's pages of another mode, the trainer's clipboard page)
// would be shown by the keyboard.
class QTabWidget;

void CycleVisibleTabsOnly(QTabWidget* pages);

// The page Ctrl+Tab (step 1) or Ctrl+Shift+Tab (step -1) leads to from the current one; the
// current page when no other tab can be shown.
int NextShownTab(const QTabWidget& pages, int step);
