#include "platform/ui/KeyframeAnimation.h"

#include <algorithm>

namespace platform::ui {

std::shared_ptr<KeyframeAnimation> KeyframeAnimation::animationWithKeyPath(std::string keyPath) {
  auto animation = std::make_shared<KeyframeAnimation>();
  animation->keyPath_ = std::move(keyPath);
  return animation;
}

Transform3D KeyframeAnimation::valueAtTime(double time, const Transform3D& fallback) const {
  if (values_.empty()) return fallback;
  if (values_.size() == 1) return values_.front();
  const double progress = std::clamp((time - beginTime_) / effectiveDuration(), 0.0, 1.0);

  const std::size_t n = values_.size();
  std::vector<double> times = keyTimes_;
  if (times.size() != n) {
    times.resize(n);
    for (std::size_t i = 0; i < n; ++i) times[i] = static_cast<double>(i) / static_cast<double>(n - 1);
  }
  if (progress <= times.front()) return values_.front();
  for (std::size_t i = 1; i < n; ++i) {
    if (progress <= times[i]) {
      const double span = times[i] - times[i - 1];
      // Two key times at the same instant make a jump, not a division by zero.
      const double t = span > 0 ? (progress - times[i - 1]) / span : 1.0;
      return Transform3D::interpolate(values_[i - 1], values_[i], t);
    }
  }
  return values_.back();
}

}  // namespace platform::ui
