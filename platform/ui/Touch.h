#pragma once
// One finger on the screen, from the moment it touches down until it lifts
// or the touch is cancelled. The window creates it (Window::sendTouch) and
// updates it for each move; views receive it in a TouchSet.
//
// The touch's view is the view it began in, for its whole life, whatever is
// under the finger later: a finger that slides off a button and lifts
// elsewhere still ends on the button.
//
// Ownership: the window keeps the touch in progress; the touch refers to
// its view and window weakly, so a view removed mid-touch simply stops
// receiving it.

#include <memory>

#include "platform/graphics/Point.h"

namespace platform::ui {

class View;
class Window;

enum class TouchPhase : int {
  Began = 0,
  Moved = 1,
  Stationary = 2,
  Ended = 3,
  Cancelled = 4,
};

class Touch {
 public:
  Touch(std::weak_ptr<View> view, std::weak_ptr<Window> window, graphics::Point locationInWindow,
        double timestamp);

  std::shared_ptr<View> view() const { return view_.lock(); }
  std::shared_ptr<Window> window() const { return window_.lock(); }
  TouchPhase phase() const { return phase_; }
  double timestamp() const { return timestamp_; }
  int tapCount() const { return 1; }

  // The finger's position in `view`'s coordinates; nullptr gives window
  // coordinates. A view in another window (or in none) gets the window
  // position converted as though both shared one coordinate space.
  graphics::Point locationInView(const std::shared_ptr<const View>& view) const;
  graphics::Point previousLocationInView(const std::shared_ptr<const View>& view) const;

  graphics::Point locationInWindow() const { return location_; }

  // For the window: moves the touch to a new phase and position.
  void update(TouchPhase phase, graphics::Point locationInWindow, double timestamp);

 private:
  graphics::Point convert(graphics::Point windowPoint, const std::shared_ptr<const View>& view) const;

  std::weak_ptr<View> view_;
  std::weak_ptr<Window> window_;
  TouchPhase phase_ = TouchPhase::Began;
  graphics::Point location_;
  graphics::Point previous_;
  double timestamp_;
};

}  // namespace platform::ui
