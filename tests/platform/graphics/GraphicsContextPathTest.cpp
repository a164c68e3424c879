#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "GraphicsTestSupport.h"
#include "TestImages.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace platform::graphics {
namespace {

using graphicstest::at;
using graphicstest::Pixel;

constexpr Pixel kBlack{0, 0, 0, 255};
constexpr Pixel kWhite{255, 255, 255, 255};
constexpr double kPi = std::numbers::pi;

struct RoundedRect {
  double left, top, right, bottom, radius;

  // Signed distance from the outline, negative inside.
  double distance(double x, double y) const {
    const double qx = std::max({left + radius - x, 0.0, x - (right - radius)});
    const double qy = std::max({top + radius - y, 0.0, y - (bottom - radius)});
    if (qx > 0 && qy > 0) {
      return std::hypot(qx, qy) - radius;
    }
    return std::max({left - x, x - right, top - y, y - bottom});
  }
};

// The banner's rounded clip around an advertiser icon: corners drawn with
// arc-to-point through each corner of the icon's rectangle.
void addBevelClipPath(GraphicsContext& c, const RoundedRect& r) {
  const double k = r.radius;
  c.moveToPoint(r.left, r.top + k);
  c.addArcToPoint(r.left, r.bottom, r.left + k, r.bottom, k);
  c.addArcToPoint(r.right, r.bottom, r.right, r.bottom - k, k);
  c.addArcToPoint(r.right, r.top, r.right - k, r.top, k);
  c.addArcToPoint(r.left, r.top, r.left, r.top + k, k);
}

// Every pixel well inside the shape is painted, every pixel well outside is
// untouched; the antialiased rim in between is not judged.
void expectShape(const GraphicsContext& c, const std::function<double(double, double)>& distance, Pixel inside,
                 Pixel outside) {
  const double s = c.scaleFactor();
  int checkedInside = 0, checkedOutside = 0;
  for (int y = 0; y < c.pixelHeight(); ++y) {
    for (int x = 0; x < c.pixelWidth(); ++x) {
      const double d = distance((x + 0.5) / s, (y + 0.5) / s);
      if (d < -0.75 / s) {
        ASSERT_EQ(at(c, x, y), inside) << "inside at " << x << "," << y;
        ++checkedInside;
      } else if (d > 0.75 / s) {
        ASSERT_EQ(at(c, x, y), outside) << "outside at " << x << "," << y;
        ++checkedOutside;
      }
    }
  }
  EXPECT_GT(checkedInside, 100);
  EXPECT_GT(checkedOutside, 100);
}

class BevelClip : public testing::TestWithParam<double> {};

TEST_P(BevelClip, ClippedFillCoversTheRoundedRectAndLeavesTheCornersUntouched) {
  // The icon of the worked banner layout: 38 x 38 at (4, 4.5), radius 6.5.
  const RoundedRect shape{4.5, 5, 42.5, 43, 7};
  auto c = GraphicsContext::imageContext(48, 48, GetParam());
  ASSERT_TRUE(c);
  c->setFillColor(Color::blackColor());
  c->fillRect({{0, 0}, {48, 48}});
  c->saveGState();
  addBevelClipPath(*c, shape);
  c->clip();
  EXPECT_FALSE(c->currentPoint()) << "clipping empties the path";
  c->setFillColor(Color::whiteColor());
  c->fillRect({{0, 0}, {48, 48}});
  c->restoreGState();
  expectShape(*c, [&](double x, double y) { return shape.distance(x, y); }, kWhite, kBlack);
  // The outermost corner pixels in particular.
  const int last = c->pixelWidth() - 1;
  EXPECT_EQ(at(*c, static_cast<int>(5 * GetParam()), static_cast<int>(5.5 * GetParam())), kBlack);
  EXPECT_EQ(at(*c, last, last), kBlack);
}

TEST_P(BevelClip, ImageDrawnInsideTheClipKeepsItsPixelsAndRoundsItsCorners) {
  const RoundedRect shape{4.5, 5, 42.5, 43, 7};
  auto red = Image::imageWithData(testimages::encode(
      "png", 38, 38, [](int, int) { return testimages::Rgba{255, 0, 0, 255}; }));
  ASSERT_TRUE(red);
  auto c = GraphicsContext::imageContext(48, 48, GetParam());
  ASSERT_TRUE(c);
  c->setFillColor(Color::blackColor());
  c->fillRect({{0, 0}, {48, 48}});
  c->saveGState();
  addBevelClipPath(*c, shape);
  c->clip();
  c->drawImageAtPoint(red, {4, 4.5});
  c->restoreGState();
  // The image covers (4, 4.5)-(42, 42.5), the clip (4.5, 5)-(42.5, 43):
  // what shows is their intersection.
  const RoundedRect image{4, 4.5, 42, 42.5, 0};
  expectShape(
      *c, [&](double x, double y) { return std::max(shape.distance(x, y), image.distance(x, y)); },
      Pixel{255, 0, 0, 255}, kBlack);
}

INSTANTIATE_TEST_SUITE_P(Scales, BevelClip, testing::Values(1.0, 2.0));

TEST(ArcToPoint, MatchesARoundedRectBuiltFromExplicitArcs) {
  auto byTangents = GraphicsContext::imageContext(60, 40, 2);
  auto byArcs = GraphicsContext::imageContext(60, 40, 2);
  ASSERT_TRUE(byTangents && byArcs);
  addBevelClipPath(*byTangents, RoundedRect{5, 5, 55, 35, 9});
  byTangents->fillPath();
  byArcs->addArc(14, 26, 9, kPi, kPi / 2, 1);
  byArcs->addArc(46, 26, 9, kPi / 2, 0, 1);
  byArcs->addArc(46, 14, 9, 0, -kPi / 2, 1);
  byArcs->addArc(14, 14, 9, -kPi / 2, -kPi, 1);
  byArcs->fillPath();
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 120; ++x) {
      // The antialiased rim differs a little: the two build the curves from
      // different segments. A misplaced arc would differ by far more.
      ASSERT_NEAR(at(*byTangents, x, y).alpha, at(*byArcs, x, y).alpha, 24) << x << "," << y;
    }
  }
}

TEST(ArcToPoint, EndsAtTheSecondTangentPoint) {
  auto c = GraphicsContext::imageContext(20, 20);
  c->moveToPoint(0, 10);
  c->addArcToPoint(0, 0, 10, 0, 4);
  ASSERT_TRUE(c->currentPoint());
  EXPECT_NEAR(c->currentPoint()->x, 4, 1e-9);
  EXPECT_NEAR(c->currentPoint()->y, 0, 1e-9);
}

TEST(ArcToPoint, CollinearPointsOrZeroRadiusGiveAStraightLineToTheCorner) {
  auto c = GraphicsContext::imageContext(20, 20);
  c->moveToPoint(0, 0);
  c->addArcToPoint(5, 0, 10, 0, 3);
  EXPECT_EQ(c->currentPoint(), (Point{5, 0}));
  c->addArcToPoint(10, 0, 0, 0, 3);  // straight back along the line
  EXPECT_EQ(c->currentPoint(), (Point{10, 0}));

  // A square whose corners have radius 0 keeps its sharp corners.
  auto square = GraphicsContext::imageContext(20, 20);
  square->moveToPoint(2, 10);
  square->addArcToPoint(2, 18, 10, 18, 0);
  square->addArcToPoint(18, 18, 18, 10, 0);
  square->addArcToPoint(18, 2, 10, 2, 0);
  square->addArcToPoint(2, 2, 2, 10, 0);
  square->fillPath();
  for (const auto& [x, y] : {std::pair{2, 2}, {17, 2}, {2, 17}, {17, 17}}) {
    EXPECT_EQ(at(*square, x, y), kBlack) << x << "," << y;
  }
  EXPECT_EQ(at(*square, 1, 1).alpha, 0);
}

TEST(ArcToPoint, WithoutACurrentPointOnlyMovesToTheCorner) {
  auto c = GraphicsContext::imageContext(20, 20);
  c->addArcToPoint(5, 5, 10, 5, 2);
  EXPECT_EQ(c->currentPoint(), (Point{5, 5}));
}

TEST(PathPainting, StrokeUsesLineWidthAndStrokeColourAndEmptiesThePath) {
  auto c = GraphicsContext::imageContext(20, 20);
  c->setStrokeColor(Color{0, 0, 1, 1});
  c->setFillColor(Color{1, 0, 0, 1});
  c->setLineWidth(4);
  c->moveToPoint(0, 10);
  c->addLineToPoint(20, 10);
  c->strokePath();
  EXPECT_FALSE(c->currentPoint());
  EXPECT_EQ(at(*c, 5, 8), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(*c, 5, 11), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(*c, 5, 12).alpha, 0);
  EXPECT_EQ(at(*c, 5, 7).alpha, 0);
}

TEST(PathPainting, FillRectAndClipToRectLeaveThePathUnderConstructionAlone) {
  auto c = GraphicsContext::imageContext(20, 20);
  c->moveToPoint(0, 15);
  c->addLineToPoint(20, 15);
  c->fillRect({{0, 0}, {5, 5}});
  c->clipToRect({{0, 0}, {20, 20}});
  EXPECT_EQ(c->currentPoint(), (Point{20, 15}));
  c->setLineWidth(2);
  c->strokePath();
  EXPECT_EQ(at(*c, 10, 14), kBlack) << "the line survived fillRect";
  EXPECT_EQ(at(*c, 2, 2), kBlack);
}

TEST(PathPainting, EvenOddFillLeavesTheHoleOfNestedRects) {
  auto c = GraphicsContext::imageContext(20, 20);
  c->addRect({{0, 0}, {20, 20}});
  c->addRect({{5, 5}, {10, 10}});
  c->eoFillPath();
  EXPECT_EQ(at(*c, 10, 10).alpha, 0);
  EXPECT_EQ(at(*c, 2, 2), kBlack);
  c->addRect({{0, 0}, {20, 20}});
  c->addRect({{5, 5}, {10, 10}});
  c->fillPath();  // non-zero winding: both rects turn the same way
  EXPECT_EQ(at(*c, 10, 10), kBlack);
}

TEST(PathPainting, NonFiniteCoordinatesAreIgnored) {
  auto c = GraphicsContext::imageContext(10, 10);
  c->moveToPoint(1, 1);
  c->addLineToPoint(std::nan(""), 3);
  c->addArcToPoint(INFINITY, 0, 0, 0, 2);
  c->addArc(5, 5, std::nan(""), 0, 1, 0);
  EXPECT_EQ(c->currentPoint(), (Point{1, 1}));
  c->fillRect({{0, 0}, {10, 10}});
  EXPECT_EQ(at(*c, 5, 5), kBlack);
  EXPECT_EQ(cairo_status(c->cairoContext()), CAIRO_STATUS_SUCCESS);
}

}  // namespace
}  // namespace platform::graphics
