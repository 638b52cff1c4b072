// A size of the tool's window in screen pixels: the fixed size of the dialog modes and the
// size commands of the menu "Ansicht".
#pragma once

struct FtpWindowSize {
  int Width = 0, Height = 0;
  bool operator==(const FtpWindowSize&) const = default;
};
