#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/ui/Layer.h"

using platform::RunLoop;
using platform::SimulatedClock;
using platform::ui::AnimationDelegate;
using platform::ui::CATransform3DMakeScale;
using platform::ui::KeyframeAnimation;
using platform::ui::Layer;
using platform::ui::Transform3D;

namespace {

struct StopRecorder : AnimationDelegate {
  struct Stop {
    std::shared_ptr<KeyframeAnimation> animation;
    bool finished;
    double time;
  };
  RunLoop* loop = nullptr;
  std::vector<Stop> stops;
  void animationDidStopFinished(const std::shared_ptr<KeyframeAnimation>& animation, bool finished) override {
    stops.push_back({animation, finished, loop->now()});
  }
};

class LayerTest : public ::testing::Test {
 protected:
  LayerTest() {
    loop_.makeCurrent();
    recorder_->loop = &loop_;
  }

  // The banner's click pulse.
  std::shared_ptr<KeyframeAnimation> pulse(bool removedOnCompletion) {
    auto animation = KeyframeAnimation::animationWithKeyPath("transform");
    animation->setValues({CATransform3DMakeScale(1, 1, 1), CATransform3DMakeScale(1.4, 1.4, 1),
                          CATransform3DMakeScale(0.1, 0.1, 1)});
    animation->setKeyTimes({0.0, 0.4, 1.0});
    animation->setDuration(0.5);
    animation->setRemovedOnCompletion(removedOnCompletion);
    animation->setDelegate(recorder_);
    return animation;
  }

  RunLoop loop_{std::make_shared<SimulatedClock>()};
  std::shared_ptr<StopRecorder> recorder_ = std::make_shared<StopRecorder>();
};

}  // namespace

TEST_F(LayerTest, PulseIsSampledFromItsKeyframesAndKeepsItsLastValue) {
  auto layer = Layer::create();
  loop_.advanceBy(3);  // start times are the loop's, not zero
  layer->addAnimationForKey(pulse(false), "PennantPulseAnimation");
  layer->setTransform(CATransform3DMakeScale(0.1, 0.1, 1));

  EXPECT_EQ(layer->presentationTransform(loop_.now()).sx, 1);
  loop_.advanceBy(0.1);
  EXPECT_NEAR(layer->presentationTransform(loop_.now()).sx, 1.2, 1e-9);
  loop_.advanceBy(0.1);
  EXPECT_NEAR(layer->presentationTransform(loop_.now()).sx, 1.4, 1e-9);
  EXPECT_NEAR(layer->presentationTransform(loop_.now()).sy, 1.4, 1e-9);
  loop_.advanceBy(0.15);
  EXPECT_NEAR(layer->presentationTransform(loop_.now()).sx, 0.75, 1e-9);
  EXPECT_TRUE(recorder_->stops.empty());
  loop_.advanceBy(0.15);

  ASSERT_EQ(recorder_->stops.size(), 1u);
  EXPECT_TRUE(recorder_->stops[0].finished);
  EXPECT_NEAR(recorder_->stops[0].time, 3.5, 1e-9);
  EXPECT_EQ(recorder_->stops[0].animation, layer->animationForKey("PennantPulseAnimation"));
  // Not removed on completion: the last value stays shown.
  loop_.advanceBy(10);
  EXPECT_NEAR(layer->presentationTransform(loop_.now()).sx, 0.1, 1e-9);
  EXPECT_EQ(recorder_->stops.size(), 1u);

  // Once removed, the model transform shows; the delegate is not told again.
  layer->setTransform(CATransform3DMakeScale(2, 2, 1));
  layer->removeAllAnimations();
  EXPECT_EQ(layer->presentationTransform(loop_.now()), CATransform3DMakeScale(2, 2, 1));
  loop_.advanceBy(1);
  EXPECT_EQ(recorder_->stops.size(), 1u);
}

TEST_F(LayerTest, AnAnimationRemovedOnCompletionLeavesTheModelValue) {
  auto layer = Layer::create();
  auto animation = pulse(true);
  layer->addAnimationForKey(animation, "pulse");
  // The layer works on a copy: changing the original afterwards changes nothing.
  animation->setDuration(100);
  loop_.advanceBy(0.5);
  ASSERT_EQ(recorder_->stops.size(), 1u);
  EXPECT_EQ(layer->animationForKey("pulse"), nullptr);
  EXPECT_EQ(layer->presentationTransform(loop_.now()), Transform3D::identity());
}

TEST_F(LayerTest, RemovingOrReplacingEarlyReportsUnfinishedOnceAndLater) {
  auto layer = Layer::create();
  layer->addAnimationForKey(pulse(false), "pulse");
  loop_.advanceBy(0.1);
  layer->addAnimationForKey(pulse(false), "pulse");  // replaces the first
  EXPECT_TRUE(recorder_->stops.empty()) << "never from inside the call";
  loop_.runPending();
  ASSERT_EQ(recorder_->stops.size(), 1u);
  EXPECT_FALSE(recorder_->stops[0].finished);

  layer.reset();  // a destroyed layer stops its animations
  loop_.advanceBy(1);
  ASSERT_EQ(recorder_->stops.size(), 2u);
  EXPECT_FALSE(recorder_->stops[1].finished);
}

TEST_F(LayerTest, AnimationWithoutKeyTimesSpreadsItsValuesEvenly) {
  auto animation = KeyframeAnimation::animationWithKeyPath("transform");
  animation->setValues({CATransform3DMakeScale(0, 0, 1), CATransform3DMakeScale(1, 1, 1),
                        CATransform3DMakeScale(3, 3, 1)});
  animation->setDuration(1);
  EXPECT_NEAR(animation->valueAtTime(0.25, {}).sx, 0.5, 1e-9);
  EXPECT_NEAR(animation->valueAtTime(0.75, {}).sx, 2, 1e-9);
  // Two key times at one instant jump instead of dividing by zero.
  animation->setKeyTimes({0, 0.5, 0.5});
  EXPECT_NEAR(animation->valueAtTime(0.5, {}).sx, 1, 1e-9);
  EXPECT_NEAR(animation->valueAtTime(0.6, {}).sx, 3, 1e-9);
  // No values: the fallback.
  auto empty = KeyframeAnimation::animationWithKeyPath("transform");
  EXPECT_EQ(empty->valueAtTime(0.1, CATransform3DMakeScale(7, 7, 1)).sx, 7);
}

TEST_F(LayerTest, SublayersMoveBetweenParentsAndCanBeReplaced) {
  auto root = Layer::create();
  auto other = Layer::create();
  auto a = Layer::create();
  auto b = Layer::create();
  root->addSublayer(a);
  root->addSublayer(b);
  other->addSublayer(a);
  ASSERT_EQ(root->sublayers().size(), 1u);
  EXPECT_EQ(root->sublayers()[0], b);
  EXPECT_EQ(a->superlayer(), other);

  b->removeFromSuperlayer();
  EXPECT_TRUE(root->sublayers().empty());
  EXPECT_EQ(b->superlayer(), nullptr);

  root->setSublayers({a, b});
  EXPECT_EQ(root->sublayers().size(), 2u);
  EXPECT_TRUE(other->sublayers().empty());
  root->setSublayers({});
  EXPECT_TRUE(root->sublayers().empty());
  EXPECT_EQ(a->superlayer(), nullptr);
}
