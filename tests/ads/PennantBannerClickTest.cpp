#include <gtest/gtest.h>

#include "AdServerFixture.h"
#include "AdTestDelegates.h"
#include "ClickTestSupport.h"
#include "ads/PennantController.h"
#include "ads/PennantSingleAdView.h"
#include "ads/PennantView.h"
#include "ads/PennantViewInternal.h"
#include "ads/PennantViewTags.h"
#include "platform/ui/Renderer.h"

namespace pennant {
namespace {

using platform::graphics::Point;
using platform::ui::TouchPhase;

// The banner sits at the bottom of the window, as the app places it.
constexpr double kBannerTop = 432;

class PennantBannerClickTest : public ::testing::Test {
 protected:
  PennantBannerClickTest() {
    host->embedded = false;
    host->background = platform::graphics::Color::blackColor();
    server.server.server().Get("/click", [](const httplib::Request&, httplib::Response& response) {
      response.set_content(R"({"redirect_url":"http://bakery.test/"})", "application/json");
    });
    server.setAnswer(R"({"text":"Fresh bread","6":"visit","url":"u","jsonp_url":"{{base}}/click",
                         "204":"/static/ads/bread.png"})");
    view = PennantView::requestAdWithDelegate(host);
    view->setFrame({{0, kBannerTop}, {320, 48}});
    screen.window->addSubview(view);
    settle();
  }
  std::shared_ptr<PennantController> controller() {
    return std::dynamic_pointer_cast<PennantViewInternal>(view)->controller();
  }
  std::shared_ptr<PennantSingleAdView> banner() {
    return std::dynamic_pointer_cast<PennantSingleAdView>(view->viewWithTag(kBannerTag));
  }
  void settle() { loop.runUntil([] { return false; }); }
  // Moves the clock to `t` seconds after `start`, running what falls due.
  void at(double start, double t) {
    settle();
    loop.loop().advanceBy(start + t - loop.loop().now());
    settle();
  }
  void touch(TouchPhase phase, Point point) { ASSERT_TRUE(screen.window->sendTouch(phase, point)); }
  int brightnessAt(double x, double y) {
    auto image = platform::ui::Renderer(screen.window, 1).renderAtTime(loop.loop().now());
    auto pixel = image->pixelAt(static_cast<int>(x), static_cast<int>(y));
    return pixel ? pixel->red + pixel->green + pixel->blue : -1;
  }
  bool hasSpinner() { return banner()->viewWithTag(kSpinnerTag) != banner() && banner()->viewWithTag(kSpinnerTag); }
  double iconScale() {
    auto icon = banner()->actionIconLayer();
    return icon ? icon->presentationTransform(loop.loop().now()).sx : 0;
  }
  // Idle: no spinner, no highlight, one icon layer at rest where it belongs.
  void expectIdle(const std::string& when) {
    auto b = banner();
    EXPECT_FALSE(hasSpinner()) << when;
    ASSERT_EQ(b->layer()->sublayers().size(), 1u) << when;
    EXPECT_EQ(b->layer()->sublayers()[0], b->actionIconLayer()) << when;
    EXPECT_EQ(b->actionIconLayer()->frame(), (platform::graphics::Rect{{286, 9}, {30, 30}})) << when;
    EXPECT_EQ(iconScale(), 1.0) << when;
    EXPECT_FALSE(b->isAnimatingForClick()) << when;
  }

  testing::TestLoop loop;
  testing::AdServerFixture server;
  testing::OpenedURLs opened;
  testing::TestScreen screen{loop};
  std::shared_ptr<testing::ScriptedHost> host = std::make_shared<testing::ScriptedHost>();
  std::shared_ptr<PennantView> view;
};

TEST_F(PennantBannerClickTest, AFingerShadesTheBannerAndClicksOnlyWhenLiftedInside) {
  ASSERT_NE(banner(), nullptr);
  const Point inside{100, kBannerTop + 30};
  const int plain = brightnessAt(inside.x, inside.y);
  touch(TouchPhase::Began, inside);
  const int shaded = brightnessAt(inside.x, inside.y);
  EXPECT_GT(shaded, plain + 3 * 60) << "grey at half strength over the black banner";
  EXPECT_NE(banner()->viewWithTag(kTouchHighlightTag), nullptr);

  touch(TouchPhase::Moved, {100, kBannerTop - 20});
  EXPECT_EQ(brightnessAt(inside.x, inside.y), plain);
  touch(TouchPhase::Moved, inside);
  EXPECT_EQ(brightnessAt(inside.x, inside.y), shaded);
  touch(TouchPhase::Ended, inside);
  EXPECT_EQ(brightnessAt(inside.x, inside.y), plain);
  EXPECT_TRUE(banner()->isAnimatingForClick());
  settle();
  EXPECT_EQ(opened.urls, std::vector<std::string>{"http://bakery.test/"});
  at(loop.loop().now(), 2);
  expectIdle("after the click");

  // Lifted outside, or cancelled: no click.
  touch(TouchPhase::Began, inside);
  touch(TouchPhase::Ended, {100, kBannerTop - 20});
  touch(TouchPhase::Began, inside);
  touch(TouchPhase::Cancelled, inside);
  settle();
  EXPECT_EQ(opened.urls.size(), 1u);
  EXPECT_EQ(banner()->viewWithTag(kTouchHighlightTag), nullptr);
  EXPECT_FALSE(banner()->isAnimatingForClick());
}

TEST_F(PennantBannerClickTest, TheFeedbackPulsesThenSpinsThenRestoresTheIcon) {
  // The click answer arrives at once: the spinner still shows from 0.8 s
  // to 1.1 s.
  const double start = loop.loop().now();
  touch(TouchPhase::Began, {160, kBannerTop + 24});
  touch(TouchPhase::Ended, {160, kBannerTop + 24});
  at(start, 0.2);
  EXPECT_NEAR(iconScale(), 1.4, 0.01);
  at(start, 0.45);
  EXPECT_LT(iconScale(), 0.5);
  at(start, 0.6);
  EXPECT_EQ(banner()->actionIconLayer(), nullptr);
  EXPECT_TRUE(banner()->layer()->sublayers().empty());
  EXPECT_FALSE(hasSpinner());
  at(start, 0.81);
  ASSERT_TRUE(hasSpinner());
  EXPECT_EQ(banner()->viewWithTag(kSpinnerTag)->center(), (Point{301, 24}));
  at(start, 1.05);
  EXPECT_TRUE(hasSpinner());
  at(start, 1.11);
  expectIdle("0.3 s after the spinner showed");
}

TEST_F(PennantBannerClickTest, ALateEndKeepsTheSpinnerUntilThreeTenthsAfterIt) {
  auto b = banner();
  const double start = loop.loop().now();
  b->animateActionIconForClick();
  at(start, 5);
  EXPECT_TRUE(hasSpinner());
  b->removeSpinnerAndRestoreActionIcon();
  at(start, 5.2);
  b->removeSpinnerAndRestoreActionIcon();  // a second report replaces the timer
  at(start, 5.45);
  EXPECT_TRUE(hasSpinner());
  at(start, 5.51);
  expectIdle("0.3 s after the second report");
}

TEST_F(PennantBannerClickTest, ASecondClickJoinsTheFeedbackAndItEndsWithOneIcon) {
  auto b = banner();
  for (double second : {0.1, 0.6, 0.9}) {  // while pulsing, waiting, spinning
    const double start = loop.loop().now();
    b->animateActionIconForClick();
    at(start, second);
    b->animateActionIconForClick();
    at(start, 1.0);
    b->removeSpinnerAndRestoreActionIcon();
    at(start, 2.0);
    EXPECT_TRUE(hasSpinner()) << "the other click is still in flight: " << second;
    b->removeSpinnerAndRestoreActionIcon();
    at(start, 2.31);
    expectIdle("both clicks ended: " + std::to_string(second));
  }
  // Two real taps in a row: both answers are carried out, one icon is left.
  const double start = loop.loop().now();
  for (int tap = 0; tap < 2; ++tap) {
    touch(TouchPhase::Began, {160, kBannerTop + 24});
    touch(TouchPhase::Ended, {160, kBannerTop + 24});
  }
  at(start, 3);
  EXPECT_EQ(opened.urls.size(), 2u);
  expectIdle("two taps");
}

TEST_F(PennantBannerClickTest, AClickThatFailsAtOnceStillEndsItsFeedback) {
  server.setAnswer(R"({"text":"No click URL","6":"visit","url":"u","204":"/static/ads/bread.png"})");
  view->requestFreshAd();
  at(loop.loop().now(), 1);
  const double start = loop.loop().now();
  touch(TouchPhase::Began, {160, kBannerTop + 24});
  touch(TouchPhase::Ended, {160, kBannerTop + 24});
  at(start, 0.81);
  EXPECT_TRUE(hasSpinner());
  at(start, 1.11);
  expectIdle("after a click without a click URL");
}

TEST_F(PennantBannerClickTest, AClickThatEndsAfterTheBannerWasSwappedLeavesTheNewBannerAlone) {
  auto oldAd = banner()->ad();
  view->requestFreshAd();
  at(loop.loop().now(), 1);
  auto fresh = banner();
  ASSERT_NE(fresh->ad(), oldAd);
  const double start = loop.loop().now();
  fresh->animateActionIconForClick();
  at(start, 1);
  controller()->clickDidSucceed(oldAd);
  controller()->clickDidFail(oldAd);
  at(start, 3);
  EXPECT_TRUE(hasSpinner()) << "the new banner's own click has not ended";
  controller()->clickDidSucceed(fresh->ad());
  at(start, 3.31);
  expectIdle("after its own click ended");
}

}  // namespace
}  // namespace pennant
