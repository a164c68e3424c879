#pragma once
// One running property animation of a view: the value shown when it
// started, the model value it heads for, when it started on the run loop's
// clock, how long it lasts and its curve. The renderer samples it; nothing
// is stored per frame.

#include "platform/ui/AnimationCurve.h"

namespace platform::ui {

template <class T>
struct AnimatedValue {
  T from;
  T to;
  double start = 0;
  double duration = 0;
  AnimationCurve curve = AnimationCurve::EaseInOut;

  bool isOver(double now) const { return now >= start + duration; }
  // Eased progress from 0 (start) to 1 (end).
  double progress(double now) const {
    if (duration <= 0) return 1.0;
    return animationCurveProgress(curve, (now - start) / duration);
  }
};

}  // namespace platform::ui
