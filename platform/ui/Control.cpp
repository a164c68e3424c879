#include "platform/ui/Control.h"

#include "platform/ui/Touch.h"

namespace platform::ui {

void Control::addTargetActionForControlEvents(Action action, unsigned events) {
  if (!action || events == 0) return;
  actions_.push_back({std::move(action), events});
}

void Control::sendActionsForControlEvents(unsigned events) {
  // An action may remove this control from its tree (a screen popped) or
  // change the action list; run over a copy while holding ourselves.
  auto self = shared_from_this();
  const auto actions = actions_;
  for (const auto& target : actions) {
    if (target.events & events) target.action(*this);
  }
}

void Control::setEnabled(bool enabled) {
  enabled_ = enabled;
  if (!enabled) {
    tracking_ = false;
    highlighted_ = false;
  }
  setNeedsDisplay();
}

void Control::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void Control::setSelected(bool selected) {
  selected_ = selected;
  setNeedsDisplay();
}

unsigned Control::state() const {
  unsigned state = kStateNormal;
  if (highlighted_) state |= kStateHighlighted;
  if (!enabled_) state |= kStateDisabled;
  if (selected_) state |= kStateSelected;
  return state;
}

bool Control::touchInside(const TouchSet& touches, Event& event) const {
  if (touches.empty()) return false;
  return pointInsideWithEvent((*touches.begin())->locationInView(shared_from_this()), &event);
}

void Control::touchesBeganWithEvent(const TouchSet&, Event&) {
  if (!enabled_) return;
  tracking_ = true;
  setHighlighted(true);
  sendActionsForControlEvents(kEventTouchDown);
}

void Control::touchesMovedWithEvent(const TouchSet& touches, Event& event) {
  if (!tracking_) return;
  const bool inside = touchInside(touches, event);
  setHighlighted(inside);
  sendActionsForControlEvents(inside ? kEventTouchDragInside : kEventTouchDragOutside);
}

void Control::touchesEndedWithEvent(const TouchSet& touches, Event& event) {
  if (!tracking_) return;
  const bool inside = touchInside(touches, event);
  tracking_ = false;
  setHighlighted(false);
  // Keep ourselves alive through the subclass hook and the actions.
  auto self = shared_from_this();
  didEndTracking(inside);
  sendActionsForControlEvents(inside ? kEventTouchUpInside : kEventTouchUpOutside);
}

void Control::touchesCancelledWithEvent(const TouchSet&, Event&) {
  if (!tracking_) return;
  tracking_ = false;
  setHighlighted(false);
  sendActionsForControlEvents(kEventTouchCancel);
}

}  // namespace platform::ui
