#include "platform/ui/AnimationCurve.h"

#include <algorithm>

namespace platform::ui {
namespace {

// One coordinate of a cubic Bézier from (0, 0) to (1, 1) with control
// values p1 and p2.
double bezier(double p1, double p2, double s) {
  const double u = 1 - s;
  return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
}

// Solves x(s) = t for s by bisection (x is monotonic for control x values
// in [0, 1]) and returns y(s). Forty halvings are far below a pixel.
double cubicTiming(double x1, double y1, double x2, double y2, double t) {
  double lo = 0, hi = 1;
  for (int i = 0; i < 40; ++i) {
    const double mid = (lo + hi) / 2;
    if (bezier(x1, x2, mid) < t) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return bezier(y1, y2, (lo + hi) / 2);
}

}  // namespace

double animationCurveProgress(AnimationCurve curve, double t) {
  t = std::clamp(t, 0.0, 1.0);
  if (t == 0.0 || t == 1.0) return t;
  switch (curve) {
    case AnimationCurve::EaseInOut:
      return cubicTiming(0.42, 0, 0.58, 1, t);
    case AnimationCurve::EaseIn:
      return cubicTiming(0.42, 0, 1, 1, t);
    case AnimationCurve::EaseOut:
      return cubicTiming(0, 0, 0.58, 1, t);
    case AnimationCurve::Linear:
      break;
  }
  return t;
}

}  // namespace platform::ui
