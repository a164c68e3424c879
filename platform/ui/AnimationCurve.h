#pragma once
// The timing curves of view animation blocks, numbered as the platform
// numbers them, and the easing function that maps elapsed time to progress.

namespace platform::ui {

enum class AnimationCurve : int {
  EaseInOut = 0,  // the default of an animation block
  EaseIn = 1,
  EaseOut = 2,
  Linear = 3,
};

// Progress (0 to 1) of an animation on `curve` after the fraction `t` of its
// duration. `t` outside [0, 1] is clamped. The eased curves are the cubic
// Bézier curves the platform uses: ease-in-out (0.42, 0, 0.58, 1), ease-in
// (0.42, 0, 1, 1), ease-out (0, 0, 0.58, 1).
double animationCurveProgress(AnimationCurve curve, double t);

}  // namespace platform::ui
