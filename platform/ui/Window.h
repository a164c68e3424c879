#pragma once
// The root of a view tree and the one place touches enter it. There is one
// window in the app; the front end renders it (Renderer) and feeds it
// touches.
//
// How to use:
//   auto window = Window::create(Screen::mainScreen().bounds());
//   window->addSubview(navigationView);
//   window->makeKeyAndVisible();
//   window->sendTouch(TouchPhase::Began, {160, 100});   // window coordinates
//   window->sendTouchAtScreenPoint(TouchPhase::Ended, {10, 10});  // portrait screen
//
// A touch that begins is delivered to the view the hit test finds, and
// every later phase of it goes to that same view, wherever the finger is
// by then. One finger at a time: a new touch that begins while another is
// down cancels the old one first. Pending layout is resolved before each
// phase is delivered, so a touch right after a turn hits the turned layout.
//
// Overlays (alerts, action sheets) lie above everything else, the status
// bar included. Each one fills the window and follows it through rotations;
// while there is one, the front-most takes every touch that begins, so the
// views underneath get none, and a touch already under way underneath is
// cancelled when an overlay arrives.
//
// Ownership: whoever creates the window owns it; keyWindow() is a weak
// link. The window keeps the touch in progress and owns its overlays until
// they are removed.

#include <memory>

#include "platform/graphics/Point.h"
#include "platform/ui/InterfaceOrientation.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

namespace platform::ui {

class Window : public View {
 public:
  static std::shared_ptr<Window> create(graphics::Rect frame);

  // Shows the window and makes it the key window.
  void makeKeyAndVisible();
  static std::shared_ptr<Window> keyWindow();
  bool isKeyWindow() const;

  // Delivers one phase of the single finger at a point in window
  // coordinates. Returns whether a view received it: false for a touch that
  // began where no view takes touches, a move or end without a touch down,
  // or a touch whose view has gone.
  bool sendTouch(TouchPhase phase, graphics::Point pointInWindow);
  // The same with a point on the portrait screen, turned into window
  // coordinates for the current orientation.
  bool sendTouchAtScreenPoint(TouchPhase phase, graphics::Point screenPoint);
  std::shared_ptr<Touch> activeTouch() const { return touch_; }

  // An overlay is a view without a superview; it gets the window's bounds
  // and is laid out at once. Adding one that is already there brings it to
  // the front.
  void addOverlayView(const std::shared_ptr<View>& view);
  void removeOverlayView(const std::shared_ptr<View>& view);
  // Back to front.
  const std::vector<std::shared_ptr<View>>& overlayViews() const { return overlays_; }

  InterfaceOrientation interfaceOrientation() const { return orientation_; }
  // Turns the content: the window becomes 480 x 320 in landscape (320 x 480
  // in portrait). Root subviews that filled the application frame get the
  // new application frame; the others follow their autoresizing masks.
  void setInterfaceOrientation(InterfaceOrientation orientation);

 private:
  void fitOverlay(View& overlay) const;

  std::shared_ptr<Touch> touch_;
  std::vector<std::shared_ptr<View>> overlays_;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
};

}  // namespace platform::ui
