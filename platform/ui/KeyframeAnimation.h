#pragma once
// A keyframe animation of a layer's "transform": a list of transforms
// (values) reached at fractions of the duration (keyTimes), interpolated
// linearly in between. It is a record that the renderer samples at the
// current time; nothing moves by itself.
//
// How to use:
//   auto pulse = KeyframeAnimation::animationWithKeyPath("transform");
//   pulse->setValues({CATransform3DMakeScale(1, 1, 1), CATransform3DMakeScale(1.4, 1.4, 1), ...});
//   pulse->setKeyTimes({0.0, 0.4, 1.0});
//   pulse->setDuration(0.5);
//   pulse->setRemovedOnCompletion(false);
//   pulse->setDelegate(weakSelf);
//   layer->addAnimationForKey(pulse, "PennantPulseAnimation");
//
// Ownership: Layer::addAnimationForKey stores a copy, stamped with its start
// time; that copy is what animationForKey returns and what the delegate is
// told about. The delegate is held weakly.

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/AnimationDelegate.h"
#include "platform/ui/Transform3D.h"

namespace platform::ui {

class KeyframeAnimation {
 public:
  static std::shared_ptr<KeyframeAnimation> animationWithKeyPath(std::string keyPath);

  const std::string& keyPath() const { return keyPath_; }

  const std::vector<Transform3D>& values() const { return values_; }
  void setValues(std::vector<Transform3D> values) { values_ = std::move(values); }
  // Fractions of the duration, one per value, ascending. When they are
  // missing or do not match the values, the values are spread evenly.
  const std::vector<double>& keyTimes() const { return keyTimes_; }
  void setKeyTimes(std::vector<double> keyTimes) { keyTimes_ = std::move(keyTimes); }

  double duration() const { return duration_; }
  // The platform's default duration (0.25 s) applies to zero or less.
  void setDuration(double seconds) { duration_ = seconds; }
  double effectiveDuration() const { return duration_ > 0 ? duration_ : 0.25; }

  bool isRemovedOnCompletion() const { return removedOnCompletion_; }
  void setRemovedOnCompletion(bool removed) { removedOnCompletion_ = removed; }

  std::shared_ptr<AnimationDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<AnimationDelegate> delegate) { delegate_ = std::move(delegate); }

  // The run-loop time the animation started at; set when it is added.
  double beginTime() const { return beginTime_; }
  void setBeginTime(double time) { beginTime_ = time; }

  // The value at `time` on the run loop's clock: the first value before the
  // start, the last from the end on. An animation without values has none
  // (nullopt is expressed by returning `fallback`).
  Transform3D valueAtTime(double time, const Transform3D& fallback) const;

 private:
  std::string keyPath_;
  std::vector<Transform3D> values_;
  std::vector<double> keyTimes_;
  double duration_ = 0;
  bool removedOnCompletion_ = true;
  std::weak_ptr<AnimationDelegate> delegate_;
  double beginTime_ = 0;
};

}  // namespace platform::ui
