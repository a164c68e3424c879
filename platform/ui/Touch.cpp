#include "platform/ui/Touch.h"

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform::ui {

Touch::Touch(std::weak_ptr<View> view, std::weak_ptr<Window> window,
             graphics::Point locationInWindow, double timestamp)
    : view_(std::move(view)),
      window_(std::move(window)),
      location_(locationInWindow),
      previous_(locationInWindow),
      timestamp_(timestamp) {}

graphics::Point Touch::locationInView(const std::shared_ptr<const View>& view) const {
  return convert(location_, view);
}

graphics::Point Touch::previousLocationInView(const std::shared_ptr<const View>& view) const {
  return convert(previous_, view);
}

void Touch::update(TouchPhase phase, graphics::Point locationInWindow, double timestamp) {
  previous_ = location_;
  location_ = locationInWindow;
  phase_ = phase;
  timestamp_ = timestamp;
}

graphics::Point Touch::convert(graphics::Point windowPoint,
                               const std::shared_ptr<const View>& view) const {
  if (!view) return windowPoint;
  return view->convertPointFromView(windowPoint, nullptr);
}

}  // namespace platform::ui
