#include "platform/graphics/Gradient.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "GraphicsTestSupport.h"
#include "platform/graphics/GraphicsContext.h"

namespace platform::graphics {
namespace {

using graphicstest::at;
using graphicstest::Pixel;

constexpr Color kRed{1, 0, 0, 1};
constexpr Color kBlue{0, 0, 1, 1};
constexpr Pixel kWhite{255, 255, 255, 255};

TEST(GradientFactory, SpreadsColoursEvenlyWithoutLocations) {
  const std::array colors{kRed, kBlue, Color::whiteColor()};
  auto g = Gradient::gradientWithColors(colors);
  ASSERT_TRUE(g);
  ASSERT_EQ(g->stops().size(), 3u);
  EXPECT_EQ(g->stops()[0].location, 0);
  EXPECT_EQ(g->stops()[1].location, 0.5);
  EXPECT_EQ(g->stops()[2].location, 1);
  EXPECT_EQ(g->stops()[1].color, kBlue);

  const std::array one{kRed};
  ASSERT_TRUE(Gradient::gradientWithColors(one));
  EXPECT_EQ(Gradient::gradientWithColors(one)->stops()[0].location, 0);
}

TEST(GradientFactory, ClampsLocationsAndRefusesWhatCannotBeDrawn) {
  const std::array colors{kRed, kBlue};
  const std::array outside{-0.5, 1.5};
  auto g = Gradient::gradientWithColors(colors, outside);
  ASSERT_TRUE(g);
  EXPECT_EQ(g->stops()[0].location, 0);
  EXPECT_EQ(g->stops()[1].location, 1);

  const std::array tooFew{0.0};
  const std::array notANumber{0.0, std::nan("")};
  EXPECT_FALSE(Gradient::gradientWithColors(colors, tooFew));
  EXPECT_FALSE(Gradient::gradientWithColors(colors, notANumber));
  EXPECT_FALSE(Gradient::gradientWithColors(std::span<const Color>{}));
}

// The banner's glossy background: white, then the base colour at half alpha
// fading to the full base colour over the top 43.75 %, continued below.
TEST(LinearGradient, BannerShineIsMidGreyAtTheTopAndBlackFromRow21) {
  for (const double scale : {1.0, 2.0}) {
    const int w = 320, h = 48;
    auto c = GraphicsContext::imageContext(w, h, scale);
    ASSERT_TRUE(c);
    const std::array colors{Color::blackColor().colorWithAlphaComponent(0.5), Color::blackColor()};
    const std::array locations{0.0, 1.0};
    auto gradient = Gradient::gradientWithColors(colors, locations);
    c->setFillColor(Color::whiteColor());
    c->fillRect({{0, 0}, {double(w), double(h)}});
    c->drawLinearGradient(*gradient, {w / 2.0, 0}, {w / 2.0, 0.4375 * h}, kGradientDrawsAfterEndLocation);

    const Pixel top = at(*c, 0, 0);
    EXPECT_NEAR(top.red, 127, 4) << "scale " << scale;
    EXPECT_EQ(top.red, top.green);
    EXPECT_EQ(top.red, top.blue);
    int previous = 256;
    for (int y = 0; y < c->pixelHeight(); ++y) {
      const Pixel p = at(*c, c->pixelWidth() / 2, y);
      EXPECT_LE(p.red, previous) << "darkens downwards, row " << y;
      previous = p.red;
      if (y >= 21 * scale) {
        for (const int x : {0, c->pixelWidth() / 3, c->pixelWidth() - 1}) {
          ASSERT_EQ(at(*c, x, y), (Pixel{0, 0, 0, 255})) << "row " << y << " scale " << scale;
        }
      }
    }
    EXPECT_GT(at(*c, 0, static_cast<int>(20 * scale)).red, 0);
  }
}

class GradientOptions : public testing::TestWithParam<unsigned> {};

TEST_P(GradientOptions, ExtendOnlyTheSidesAskedFor) {
  const unsigned options = GetParam();
  auto c = GraphicsContext::imageContext(10, 30);
  c->setFillColor(Color::whiteColor());
  c->fillRect({{0, 0}, {10, 30}});
  const std::array colors{kRed, kBlue};
  c->drawLinearGradient(*Gradient::gradientWithColors(colors), {5, 10}, {5, 20}, options);

  const Pixel before = at(*c, 5, 3);
  const Pixel after = at(*c, 5, 26);
  if (options & kGradientDrawsBeforeStartLocation) {
    EXPECT_EQ(before, (Pixel{255, 0, 0, 255}));
  } else {
    EXPECT_EQ(before, kWhite);
  }
  if (options & kGradientDrawsAfterEndLocation) {
    EXPECT_EQ(after, (Pixel{0, 0, 255, 255}));
  } else {
    EXPECT_EQ(after, kWhite);
  }
  const Pixel middle = at(*c, 5, 15);
  EXPECT_NEAR(middle.red, 128, 14);
  EXPECT_NEAR(middle.blue, 128, 14);
  EXPECT_EQ(middle.green, 0);
}

INSTANTIATE_TEST_SUITE_P(AllOptions, GradientOptions, testing::Values(0u, 1u, 2u, 3u));

TEST(LinearGradient, DiagonalGradientStopsAtTheLinePerpendicularToItsAxis) {
  auto c = GraphicsContext::imageContext(40, 40);
  const std::array colors{kRed, kBlue};
  c->drawLinearGradient(*Gradient::gradientWithColors(colors), {0, 0}, {20, 20}, kGradientDrawsBeforeStartLocation);
  // Past the end is the half-plane x + y > 40.
  EXPECT_EQ(at(*c, 30, 30).alpha, 0);
  EXPECT_EQ(at(*c, 39, 5).alpha, 0);
  EXPECT_EQ(at(*c, 5, 30).alpha, 255);
  EXPECT_EQ(at(*c, 17, 17).alpha, 255);
}

TEST(LinearGradient, KeepsToTheClipHonoursAlphaAndLeavesThePath) {
  auto c = GraphicsContext::imageContext(20, 20);
  const std::array colors{kRed, kRed};
  c->moveToPoint(1, 2);
  c->saveGState();
  c->clipToRect({{0, 0}, {10, 20}});
  c->setAlpha(0.5);
  c->drawLinearGradient(*Gradient::gradientWithColors(colors), {0, 0}, {0, 20}, 0);
  c->restoreGState();
  EXPECT_EQ(at(*c, 5, 10), (Pixel{255, 0, 0, 128}));
  EXPECT_EQ(at(*c, 15, 10).alpha, 0);
  EXPECT_EQ(c->currentPoint(), (Point{1, 2}));
}

TEST(LinearGradient, WithoutADirectionPaintsNothing) {
  auto c = GraphicsContext::imageContext(10, 10);
  const std::array colors{kRed, kBlue};
  c->drawLinearGradient(*Gradient::gradientWithColors(colors), {5, 5}, {5, 5}, 3);
  EXPECT_EQ(at(*c, 5, 5).alpha, 0);
  EXPECT_EQ(at(*c, 0, 0).alpha, 0);
}

}  // namespace
}  // namespace platform::graphics
