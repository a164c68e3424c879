#pragma once
// The delegate of a layer animation: told once when the animation stops.
// `finished` is true when the animation ran its whole duration on its layer,
// false when it was removed or replaced before that.

#include <memory>

namespace platform::ui {

class KeyframeAnimation;

class AnimationDelegate {
 public:
  virtual ~AnimationDelegate() = default;
  virtual void animationDidStopFinished(const std::shared_ptr<KeyframeAnimation>& animation,
                                        bool finished) = 0;
};

}  // namespace platform::ui
