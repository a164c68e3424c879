#pragma once
// A flip transition of a view's content: the picture of the view taken when
// the transition was set up (before the block changed anything) flips out
// during the first half, the live content flips in during the second.

#include <memory>

#include "platform/graphics/Image.h"
#include "platform/graphics/Size.h"
#include "platform/ui/AnimatedValue.h"

namespace platform::ui {

// The transitions of an animation block, numbered as the platform numbers
// them.
enum class AnimationTransition : int {
  None = 0,
  FlipFromLeft = 1,
  FlipFromRight = 2,
  CurlUp = 3,    // accepted; drawn as a flip from right
  CurlDown = 4,  // accepted; drawn as a flip from left
};

struct ViewTransition {
  AnimationTransition transition = AnimationTransition::None;
  // The content before the change, one image pixel per device pixel, to be
  // drawn into `size` points.
  std::shared_ptr<graphics::Image> before;
  graphics::Size size;
  // Progress 0..1 over the whole flip; the timing only (from/to unused).
  AnimatedValue<double> timing;
};

}  // namespace platform::ui
