#include "platform/graphics/TangentArc.h"

#include <cmath>

namespace platform::graphics {

namespace {

// Relative to the lengths involved, so a corner of a huge path and one of a
// tiny path count as "straight" alike.
constexpr double kCollinearSine = 1e-9;

}  // namespace

TangentArc TangentArc::compute(Point current, Point p1, Point p2, double radius) {
  TangentArc result;
  result.lineEnd = p1;
  result.arcEnd = p1;

  const double ux = current.x - p1.x;
  const double uy = current.y - p1.y;
  const double vx = p2.x - p1.x;
  const double vy = p2.y - p1.y;
  const double lu = std::hypot(ux, uy);
  const double lv = std::hypot(vx, vy);
  if (!(radius > 0) || !std::isfinite(radius) || lu == 0 || lv == 0) {
    return result;
  }
  // Unit vectors from the corner back to the current point and on to P2.
  const double ax = ux / lu, ay = uy / lu;
  const double bx = vx / lv, by = vy / lv;
  const double sine = ax * by - ay * bx;
  if (std::fabs(sine) < kCollinearSine) {
    return result;
  }
  const double cosine = ax * bx + ay * by;
  // The angle at the corner between the two legs, in (0, π).
  const double corner = std::acos(std::fmax(-1.0, std::fmin(1.0, cosine)));
  const double tangentDistance = radius / std::tan(corner / 2);
  const double centerDistance = radius / std::sin(corner / 2);

  result.isArc = true;
  result.lineEnd = {p1.x + ax * tangentDistance, p1.y + ay * tangentDistance};
  result.arcEnd = {p1.x + bx * tangentDistance, p1.y + by * tangentDistance};
  const double bisectorX = ax + bx;
  const double bisectorY = ay + by;
  const double bisectorLength = std::hypot(bisectorX, bisectorY);
  result.center = {p1.x + bisectorX / bisectorLength * centerDistance,
                   p1.y + bisectorY / bisectorLength * centerDistance};
  result.startAngle = std::atan2(result.lineEnd.y - result.center.y, result.lineEnd.x - result.center.x);
  result.endAngle = std::atan2(result.arcEnd.y - result.center.y, result.arcEnd.x - result.center.x);
  // Travelling P0→P1 then turning towards P2: the turn's direction is the
  // sign of the cross product of the two directions of travel, (-a) × b.
  result.increasingAngle = -sine > 0;
  return result;
}

}  // namespace platform::graphics
