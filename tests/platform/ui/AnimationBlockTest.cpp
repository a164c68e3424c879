#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/ui/AnimationBlock.h"
#include "platform/ui/AnimationCurve.h"
#include "platform/ui/View.h"

using platform::RunLoop;
using platform::SimulatedClock;
using platform::graphics::Rect;
using platform::ui::AnimationBlock;
using platform::ui::AnimationCurve;
using platform::ui::View;

namespace {

struct Stop {
  std::string name;
  bool finished;
  void* context;
  double time;
};

class AnimationBlockTest : public ::testing::Test {
 protected:
  AnimationBlockTest() { loop_.makeCurrent(); }
  ~AnimationBlockTest() override { EXPECT_EQ(AnimationBlock::openBlockCount(), 0u); }

  View::AnimationDidStop recorder() {
    return [this](const std::string& name, bool finished, void* context) {
      stops_.push_back({name, finished, context, loop_.now()});
    };
  }

  RunLoop loop_{std::make_shared<SimulatedClock>()};
  std::vector<Stop> stops_;
};

}  // namespace

TEST_F(AnimationBlockTest, AlphaFollowsTheEaseInOutCurveAndDidStopFiresOnceAtTheEnd) {
  auto view = View::create({{0, 0}, {10, 10}});
  view->setAlpha(0);
  int context = 0;
  View::beginAnimationsContext("fadeInModalView", &context);
  View::setAnimationDidStopSelector(recorder());
  view->setAlpha(1);
  View::commitAnimations();

  // The model changes at once; what is shown moves along the curve.
  EXPECT_EQ(view->alpha(), 1);
  EXPECT_EQ(view->presentationAlpha(0), 0);
  loop_.advanceBy(0.05);
  const double quarter = view->presentationAlpha(loop_.now());
  EXPECT_GT(quarter, 0.0);
  EXPECT_LT(quarter, 0.25) << "ease-in starts slower than linear";
  loop_.advanceBy(0.05);
  EXPECT_NEAR(view->presentationAlpha(loop_.now()), 0.5, 1e-6);
  loop_.advanceBy(0.099);
  EXPECT_TRUE(stops_.empty());
  loop_.advanceBy(0.001);
  ASSERT_EQ(stops_.size(), 1u);
  EXPECT_EQ(stops_[0].name, "fadeInModalView");
  EXPECT_TRUE(stops_[0].finished);
  EXPECT_EQ(stops_[0].context, &context);
  EXPECT_NEAR(stops_[0].time, 0.2, 1e-9);
  EXPECT_EQ(view->presentationAlpha(loop_.now()), 1);
  loop_.advanceBy(5);
  EXPECT_EQ(stops_.size(), 1u);
}

TEST_F(AnimationBlockTest, FrameAnimatesFromWhatIsShownWithTheBlocksDurationAndCurve) {
  auto view = View::create({{0, 432}, {320, 48}});
  View::beginAnimationsContext("PennantModalBackgroundExpand", nullptr);
  view->setFrame({{0, 20}, {320, 460}});
  // Settings made after the change still apply: they are read at commit.
  View::setAnimationDuration(0.5);
  View::setAnimationCurve(AnimationCurve::Linear);
  View::setAnimationDidStopSelector(recorder());
  View::commitAnimations();

  EXPECT_EQ(view->frame(), (Rect{{0, 20}, {320, 460}}));
  loop_.advanceBy(0.25);
  const Rect half = view->presentationFrame(loop_.now());
  EXPECT_NEAR(half.origin.y, 226, 1e-9);
  EXPECT_NEAR(half.size.height, 254, 1e-9);

  // Shrinking back half-way: the new animation starts where the old one is.
  View::beginAnimationsContext("PennantModalBackgroundShrink", nullptr);
  View::setAnimationCurve(AnimationCurve::Linear);
  view->setFrame({{0, 432}, {320, 48}});
  View::commitAnimations();
  EXPECT_NEAR(view->presentationFrame(loop_.now()).origin.y, 226, 1e-9);
  loop_.advanceBy(0.1);
  EXPECT_NEAR(view->presentationFrame(loop_.now()).origin.y, 329, 1e-9);
  loop_.advanceBy(0.4);
  EXPECT_EQ(view->presentationFrame(loop_.now()), view->frame());
  ASSERT_EQ(stops_.size(), 1u);
  EXPECT_NEAR(stops_[0].time, 0.5, 1e-9);
}

TEST_F(AnimationBlockTest, NestedAndEmptyBlocksEachReportTheirOwnStop) {
  auto view = View::create({{0, 0}, {10, 10}});
  View::beginAnimationsContext("outer", nullptr);
  View::setAnimationDuration(0.4);
  View::setAnimationDidStopSelector(recorder());
  view->setCenter({100, 100});
  View::beginAnimationsContext("inner", nullptr);
  View::setAnimationDidStopSelector(recorder());
  View::commitAnimations();  // no changes at all, default duration
  View::commitAnimations();
  View::commitAnimations();  // one too many: ignored

  loop_.advanceBy(1);
  ASSERT_EQ(stops_.size(), 2u);
  EXPECT_EQ(stops_[0].name, "inner");
  EXPECT_NEAR(stops_[0].time, 0.2, 1e-9);
  EXPECT_EQ(stops_[1].name, "outer");
  EXPECT_NEAR(stops_[1].time, 0.4, 1e-9);
}

TEST_F(AnimationBlockTest, AGoneDelegateIsNotCalledButALiveOneIs) {
  auto delegate = std::make_shared<int>(1);
  View::beginAnimationsContext("a", nullptr);
  View::setAnimationDelegate(delegate);
  View::setAnimationDidStopSelector(recorder());
  View::commitAnimations();
  View::beginAnimationsContext("b", nullptr);
  View::setAnimationDelegate(std::weak_ptr<int>(delegate));
  View::setAnimationDidStopSelector(recorder());
  View::commitAnimations();
  loop_.advanceBy(0.2);
  ASSERT_EQ(stops_.size(), 2u);

  View::beginAnimationsContext("c", nullptr);
  View::setAnimationDelegate(delegate);
  View::setAnimationDidStopSelector(recorder());
  View::commitAnimations();
  delegate.reset();
  loop_.advanceBy(0.2);
  EXPECT_EQ(stops_.size(), 2u);
}

TEST_F(AnimationBlockTest, RemovingOrFreeingAViewMidAnimationIsHarmless) {
  auto parent = View::create({{0, 0}, {100, 100}});
  auto child = View::create({{0, 0}, {10, 10}});
  parent->addSubview(child);
  View::beginAnimationsContext("fade", child.get());
  View::setAnimationDidStopSelector(recorder());
  child->setAlpha(0);
  // A view made inside the block appears where it is made, without growing.
  auto made = View::create({{5, 5}, {10, 10}});
  auto freed = View::create({{0, 0}, {10, 10}});
  freed->setAlpha(0.5);
  freed.reset();  // released inside the block: left out at commit
  View::commitAnimations();
  loop_.advanceBy(0.1);
  EXPECT_EQ(made->presentationFrame(loop_.now()), made->frame());
  child->removeFromSuperview();
  child.reset();
  loop_.advanceBy(0.1);
  ASSERT_EQ(stops_.size(), 1u);
  EXPECT_EQ(stops_[0].name, "fade");
}

TEST_F(AnimationBlockTest, ChangesOutsideABlockStopTheAnimationAtOnce) {
  auto view = View::create({{0, 0}, {10, 10}});
  View::beginAnimationsContext("move", nullptr);
  view->setFrame({{100, 0}, {10, 10}});
  View::commitAnimations();
  loop_.advanceBy(0.1);
  view->setFrame({{50, 50}, {10, 10}});
  EXPECT_EQ(view->presentationFrame(loop_.now()), (Rect{{50, 50}, {10, 10}}));
}

TEST_F(AnimationBlockTest, AFlipTransitionRunsItsDurationAndReportsTheStop) {
  auto adView = View::create({{0, 0}, {320, 48}});
  auto oldBanner = View::create(adView->bounds());
  adView->addSubview(oldBanner);
  auto newBanner = View::create(adView->bounds());

  View::beginAnimationsContext("newPennantAd", oldBanner.get());
  View::setAnimationDuration(0.7);
  View::setAnimationTransitionForViewCache(2, adView, true);
  View::setAnimationDidStopSelector(recorder());
  adView->addSubview(newBanner);
  oldBanner->removeFromSuperview();
  View::commitAnimations();

  const auto* transition = adView->transitionAtTime(loop_.now());
  ASSERT_NE(transition, nullptr);
  ASSERT_NE(transition->before, nullptr);
  EXPECT_EQ(transition->before->pixelWidth(), 320);
  loop_.advanceBy(0.69);
  EXPECT_NE(adView->transitionAtTime(loop_.now()), nullptr);
  EXPECT_TRUE(stops_.empty());
  loop_.advanceBy(0.01);
  ASSERT_EQ(stops_.size(), 1u);
  EXPECT_EQ(stops_[0].context, oldBanner.get());
  EXPECT_NEAR(stops_[0].time, 0.7, 1e-9);
  EXPECT_EQ(adView->transitionAtTime(loop_.now()), nullptr);
}

TEST(AnimationCurveTest, CurvesRunFromZeroToOneInTheirOwnShape) {
  for (auto curve : {AnimationCurve::EaseInOut, AnimationCurve::EaseIn, AnimationCurve::EaseOut,
                     AnimationCurve::Linear}) {
    EXPECT_EQ(platform::ui::animationCurveProgress(curve, -1), 0);
    EXPECT_EQ(platform::ui::animationCurveProgress(curve, 2), 1);
    double last = 0;
    for (int i = 1; i <= 10; ++i) {
      const double p = platform::ui::animationCurveProgress(curve, i / 10.0);
      EXPECT_GE(p, last);
      last = p;
    }
  }
  EXPECT_LT(platform::ui::animationCurveProgress(AnimationCurve::EaseIn, 0.5), 0.5);
  EXPECT_GT(platform::ui::animationCurveProgress(AnimationCurve::EaseOut, 0.5), 0.5);
  EXPECT_DOUBLE_EQ(platform::ui::animationCurveProgress(AnimationCurve::Linear, 0.3), 0.3);
}
