#pragma once
// F1 inside an open menu: a menu takes the keys while it is open, so the window's F1 never
// sees them. The menu closes and the help opens at the highlighted item's "helpContext"
// property, else the menu's, else 0 (the window's own context then).
#include <QMenu>
#include <functional>

void WatchMenuHelpKey(QMenu* menu, std::function<void(int context)> showHelp);
