#include "platform/graphics/TangentArc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace platform::graphics {
namespace {

constexpr double kPi = std::numbers::pi;

void expectPoint(Point actual, Point expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-9);
  EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

TEST(TangentArc, RightAngleCornerTurningEitherWay) {
  // Up the left edge, then right along the top: the angle increases.
  const TangentArc up = TangentArc::compute({0, 10}, {0, 0}, {10, 0}, 4);
  ASSERT_TRUE(up.isArc);
  expectPoint(up.lineEnd, {0, 4});
  expectPoint(up.center, {4, 4});
  expectPoint(up.arcEnd, {4, 0});
  EXPECT_NEAR(up.startAngle, kPi, 1e-9);
  EXPECT_NEAR(up.endAngle, -kPi / 2, 1e-9);
  EXPECT_TRUE(up.increasingAngle);

  // The same corner travelled the other way round.
  const TangentArc left = TangentArc::compute({10, 0}, {0, 0}, {0, 10}, 4);
  ASSERT_TRUE(left.isArc);
  expectPoint(left.lineEnd, {4, 0});
  expectPoint(left.center, {4, 4});
  expectPoint(left.arcEnd, {0, 4});
  EXPECT_FALSE(left.increasingAngle);
}

TEST(TangentArc, SharpCornerPushesTheTangentPointsAway) {
  // A 60-degree corner: the tangent points lie r / tan(30°) from it.
  const double r = 2;
  const Point p2{10 * std::cos(kPi / 3), 10 * std::sin(kPi / 3)};
  const TangentArc arc = TangentArc::compute({10, 0}, {0, 0}, p2, r);
  ASSERT_TRUE(arc.isArc);
  const double d = r / std::tan(kPi / 6);
  expectPoint(arc.lineEnd, {d, 0});
  expectPoint(arc.arcEnd, {d * std::cos(kPi / 3), d * std::sin(kPi / 3)});
  EXPECT_NEAR(std::hypot(arc.center.x - arc.lineEnd.x, arc.center.y - arc.lineEnd.y), r, 1e-9);
  EXPECT_NEAR(std::hypot(arc.center.x - arc.arcEnd.x, arc.center.y - arc.arcEnd.y), r, 1e-9);
}

TEST(TangentArc, NoCornerToRoundGivesALineToTheCorner) {
  for (const TangentArc& arc : {TangentArc::compute({0, 0}, {5, 0}, {10, 0}, 3),   // straight on
                                TangentArc::compute({0, 0}, {5, 0}, {1, 0}, 3),    // straight back
                                TangentArc::compute({0, 0}, {5, 0}, {5, 5}, 0),    // radius 0
                                TangentArc::compute({0, 0}, {5, 0}, {5, 5}, -1),   // negative radius
                                TangentArc::compute({5, 0}, {5, 0}, {5, 5}, 2),    // already at the corner
                                TangentArc::compute({0, 0}, {5, 0}, {5, 0}, 2)}) { // nowhere to go
    EXPECT_FALSE(arc.isArc);
    expectPoint(arc.lineEnd, {5, 0});
    expectPoint(arc.arcEnd, {5, 0});
  }
}

}  // namespace
}  // namespace platform::graphics
