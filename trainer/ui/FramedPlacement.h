#pragma once
// Placing a window where it belongs once the window manager has framed it. A window is framed
// some time after it is shown, and its frame extents may come after its first activation, so
// a placement made at show or at activation can rest on a frame that is not yet the real one.
// The window asks Next at each move, resize, activation or state change and on a short watch;
// it places itself again whenever it is framed and not where it belongs, until it has been
// found in place while active on a few checks in a row.

#include <QRect>

class FramedPlacement {
 public:
  enum class Step { Wait, Place, Done };

  void Start();
  void Stop() { waiting_ = false; }
  bool Waiting() const { return waiting_; }

  // frame and client: the window's rectangles now; wanted: where its frame belongs.
  Step Next(const QRect& frame, const QRect& client, const QRect& wanted, bool active);

  static constexpr int kSettledChecks = 3;  // in place and active this often in a row
  static constexpr int kMaxPlacements = 6;  // a window manager that keeps moving it wins
  static constexpr int kMaxChecks = 200;    // a window that is never framed (no manager)

 private:
  bool waiting_ = false;
  int placements_ = 0;
  int settled_ = 0;
  int checks_ = 0;
};
