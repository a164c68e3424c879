#include <gtest/gtest.h>

#include <memory>

#include "ControlsTestSupport.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Colors.h"

using controlstest::UiFixture;
using platform::graphics::Color;
using platform::graphics::GraphicsContext;
using platform::graphics::Rect;
using platform::ui::ActivityIndicatorView;
using platform::ui::Colors;

namespace {

using ActivityIndicatorViewTest = UiFixture;

std::vector<std::uint8_t> pixelsOf(const GraphicsContext& image, Rect r) {
  std::vector<std::uint8_t> values;
  for (int y = static_cast<int>(r.minY()); y < static_cast<int>(r.maxY()); ++y) {
    for (int x = static_cast<int>(r.minX()); x < static_cast<int>(r.maxX()); ++x) values.push_back(image.pixelAt(x, y)->green);
  }
  return values;
}

}  // namespace

TEST_F(ActivityIndicatorViewTest, StylesSizesAndVisibility) {
  EXPECT_EQ(ActivityIndicatorView::initWithActivityIndicatorStyle(0)->frame().size.width, 37);
  auto spinner = ActivityIndicatorView::initWithActivityIndicatorStyle(ActivityIndicatorView::kStyleGray);
  EXPECT_EQ(spinner->frame().size.width, 20);
  EXPECT_TRUE(spinner->isHidden());
  spinner->startAnimating();
  EXPECT_TRUE(spinner->isAnimating());
  EXPECT_FALSE(spinner->isHidden());
  spinner->stopAnimating();
  EXPECT_TRUE(spinner->isHidden());
  spinner->setHidesWhenStopped(false);
  EXPECT_FALSE(spinner->isHidden());
}

TEST_F(ActivityIndicatorViewTest, TheBrightSpokeStepsTwelveTimesASecond) {
  auto backdrop = platform::ui::View::create({{0, 0}, {320, 480}});
  backdrop->setBackgroundColor(Color::blackColor());
  window_->addSubview(backdrop);
  auto spinner = ActivityIndicatorView::initWithActivityIndicatorStyle(ActivityIndicatorView::kStyleWhite);
  spinner->setCenter({160, 240});
  window_->addSubview(spinner);
  spinner->startAnimating();
  EXPECT_EQ(spinner->currentStep(loop_.now()), 0);
  const auto first = pixelsOf(*render(), spinner->frame());
  loop_.advanceBy(0.25 + 1e-6);
  EXPECT_EQ(spinner->currentStep(loop_.now()), 3);
  const auto later = pixelsOf(*render(), spinner->frame());
  EXPECT_NE(first, later);
  loop_.advanceBy(0.75);
  EXPECT_EQ(spinner->currentStep(loop_.now()), 0);
  EXPECT_EQ(pixelsOf(*render(), spinner->frame()), first);
}

TEST(ColorsTest, TheGroupedBackgroundHasPinstripes) {
  EXPECT_EQ(Colors::groupTableViewBackgroundColor(), (Color{197 / 255.0, 204 / 255.0, 212 / 255.0, 1}));
  auto context = GraphicsContext::imageContext(14, 2);
  Colors::fillBackground(*context, Colors::groupTableViewBackgroundColor(), {{0, 0}, {14, 2}});
  EXPECT_EQ(context->pixelAt(0, 0)->red, 208);
  EXPECT_EQ(context->pixelAt(5, 0)->red, 197);
  EXPECT_EQ(context->pixelAt(7, 1)->red, 208);
  // Any other colour is a plain fill.
  Colors::fillBackground(*context, Color::whiteColor(), {{0, 0}, {14, 2}});
  EXPECT_EQ(context->pixelAt(0, 0)->red, 255);
  EXPECT_EQ(context->pixelAt(5, 0)->red, 255);
}
