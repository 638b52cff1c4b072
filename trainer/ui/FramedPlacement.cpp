#include "FramedPlacement.h"

void FramedPlacement::Start() {
  waiting_ = true;
  placements_ = 0;
  settled_ = 0;
  checks_ = 0;
}

FramedPlacement::Step FramedPlacement::Next(const QRect& frame, const QRect& client, const QRect& wanted,
                                            bool active) {
  if (!waiting_) return Step::Done;
  if (++checks_ > kMaxChecks) {
    waiting_ = false;
    return Step::Done;
  }
  if (frame == client) return Step::Wait;  // not framed yet: its extents are still unknown
  if (frame == wanted) {
    if (!active || ++settled_ < kSettledChecks) return Step::Wait;
    waiting_ = false;
    return Step::Done;
  }
  settled_ = 0;
  if (placements_ >= kMaxPlacements) {
    waiting_ = false;
    return Step::Done;
  }
  ++placements_;
  return Step::Place;
}
