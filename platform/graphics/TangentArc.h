#pragma once
// The geometry behind GraphicsContext::addArcToPoint: from the current point
// P0 a line runs towards P1, then an arc of radius r tangent to both P0→P1
// and P1→P2 turns the corner; its end, on the line P1→P2, becomes the new
// current point. Cairo has no such operation, so the tangent points and the
// centre are worked out here and handed to cairo_arc / cairo_arc_negative.
//
// When there is no corner to round (r ≤ 0, P0 or P2 equal to P1, or the
// three points on one line) the platform adds a straight line to P1 and
// nothing else; `isArc` is false then and only `lineEnd` (= P1) matters.

#include "platform/graphics/Point.h"

namespace platform::graphics {

struct TangentArc {
  bool isArc = false;
  // Where the straight part ends: the first tangent point, or P1.
  Point lineEnd;
  Point center;
  double startAngle = 0;
  double endAngle = 0;
  // True when the arc runs with increasing angle (cairo_arc).
  bool increasingAngle = true;
  // The second tangent point, the new current point.
  Point arcEnd;

  static TangentArc compute(Point current, Point p1, Point p2, double radius);
};

}  // namespace platform::graphics
