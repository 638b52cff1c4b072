#pragma once
// The view settings of the trainer's tables and window, as the desktop file keeps them.

#include "Dialogs.h"

struct TrainerView {
  bool gridLines = true;
  Color background = 16755370;  // light blue
  FontDesc font{16711680, -13, "Verdana", 0, 10, 0};  // blue text
  int windowHeight = 480;  // 1/96 inch
  int windowWidth = 640;
};
