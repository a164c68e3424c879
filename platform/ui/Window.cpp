#include "platform/ui/Window.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Event.h"
#include "platform/ui/Screen.h"

namespace platform::ui {
namespace {

std::weak_ptr<Window>& keyWindowLink() {
  static auto* link = new std::weak_ptr<Window>();
  return *link;
}

}  // namespace

std::shared_ptr<Window> Window::create(graphics::Rect frame) {
  auto window = std::make_shared<Window>();
  window->initWithFrame(frame);
  window->setHidden(true);  // shown by makeKeyAndVisible
  return window;
}

void Window::makeKeyAndVisible() {
  setHidden(false);
  keyWindowLink() = std::static_pointer_cast<Window>(shared_from_this());
}

std::shared_ptr<Window> Window::keyWindow() { return keyWindowLink().lock(); }

bool Window::isKeyWindow() const { return keyWindowLink().lock().get() == this; }

bool Window::sendTouch(TouchPhase phase, graphics::Point point) {
  // The handlers may drop the last outside reference to this window.
  auto self = std::static_pointer_cast<Window>(shared_from_this());
  const double now = RunLoop::current().now();
  // A turn or a resize since the last frame may have left layout pending;
  // the finger must meet the views where they now are, not where the last
  // drawn frame had them. Overlays lie outside the tree and are laid out
  // on their own.
  layoutIfNeeded();
  for (const auto& overlay : overlays_) overlay->layoutIfNeeded();
  if (phase == TouchPhase::Began) {
    if (touch_) sendTouch(TouchPhase::Cancelled, touch_->locationInWindow());
    // The front-most overlay takes every touch while there is one.
    auto view = overlays_.empty() ? hitTestWithEvent(point, nullptr)
                                  : overlays_.back()->hitTestWithEvent(point, nullptr);
    if (!view) return false;
    touch_ = std::make_shared<Touch>(view, self, point, now);
    Event event(TouchSet{touch_}, now);
    view->touchesBeganWithEvent(event.allTouches(), event);
    return true;
  }
  if (!touch_ || phase == TouchPhase::Stationary) return false;
  auto touch = touch_;
  touch->update(phase, point, now);
  if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) touch_.reset();
  auto view = touch->view();
  if (!view) {
    touch_.reset();
    return false;
  }
  // Deliver through a copy: a handler that starts a new touch must not see
  // this one replaced underneath it.
  Event event(TouchSet{touch}, now);
  const TouchSet& touches = event.allTouches();
  switch (phase) {
    case TouchPhase::Moved:
      view->touchesMovedWithEvent(touches, event);
      break;
    case TouchPhase::Ended:
      view->touchesEndedWithEvent(touches, event);
      break;
    default:
      view->touchesCancelledWithEvent(touches, event);
      break;
  }
  return true;
}

bool Window::sendTouchAtScreenPoint(TouchPhase phase, graphics::Point screenPoint) {
  return sendTouch(phase, contentPointFromScreenPoint(orientation_, screenPoint));
}

void Window::setInterfaceOrientation(InterfaceOrientation orientation) {
  if (orientation == orientation_) return;
  const graphics::Rect oldAppFrame = Screen::applicationFrameForOrientation(orientation_);
  const graphics::Rect newAppFrame = Screen::applicationFrameForOrientation(orientation);
  const graphics::Size oldSize = frame().size;
  orientation_ = orientation;

  std::vector<std::shared_ptr<View>> filling;
  for (const auto& subview : subviews()) {
    if (subview->frame() == oldAppFrame) filling.push_back(subview);
  }
  // Resize the window alone; its root subviews are placed below, each once.
  const bool autoresizes = autoresizesSubviews();
  setAutoresizesSubviews(false);
  setFrame({frame().origin, contentSizeForOrientation(orientation)});
  setAutoresizesSubviews(autoresizes);

  auto subviewsNow = subviews();
  for (const auto& subview : subviewsNow) {
    if (std::find(filling.begin(), filling.end(), subview) != filling.end()) {
      subview->setFrame(newAppFrame);
    } else if (autoresizes) {
      subview->resizeWithOldSuperviewSize(oldSize);
    }
  }
  auto overlays = overlays_;
  for (const auto& overlay : overlays) fitOverlay(*overlay);
}

void Window::addOverlayView(const std::shared_ptr<View>& view) {
  if (!view || view.get() == this || view->superview()) return;
  overlays_.erase(std::remove(overlays_.begin(), overlays_.end(), view), overlays_.end());
  overlays_.push_back(view);
  fitOverlay(*view);
  // A finger that is down on something underneath must not finish its
  // gesture there (a button would fire behind the alert).
  if (touch_) {
    auto touched = touch_->view();
    if (!touched || !touched->isDescendantOfView(view.get())) {
      sendTouch(TouchPhase::Cancelled, touch_->locationInWindow());
    }
  }
}

void Window::removeOverlayView(const std::shared_ptr<View>& view) {
  overlays_.erase(std::remove(overlays_.begin(), overlays_.end(), view), overlays_.end());
}

void Window::fitOverlay(View& overlay) const {
  // Overlays are placed now rather than at the next render, so that a touch
  // or a dump right after a rotation finds them where they are shown.
  if (overlay.frame() != bounds()) overlay.setFrame(bounds());
  overlay.layoutIfNeeded();
}

}  // namespace platform::ui
