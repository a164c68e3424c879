#pragma once
// A view that turns touches into actions: buttons and switches. Actions are
// registered per control event and run when the control sends one of the
// events of their mask. The control tracks the finger from touch-down to
// lift and is highlighted while the finger is inside it.
//
// How to use:
//   std::weak_ptr<Screen> weak = self;
//   button->addTargetActionForControlEvents(
//       [weak](Control&) { if (auto s = weak.lock()) s->openInfoView(); },
//       Control::kEventTouchUpInside);
//
// Events sent by tracking: touch down (1) when the finger lands, touch up
// inside (64) when it lifts within the control's touch area
// (pointInsideWithEvent, so an enlarged area counts), touch up outside (128)
// otherwise, touch cancel (256) when the touch is cancelled. A disabled
// control sends nothing and swallows its touches.
//
// Ownership: the control owns its actions; they should capture their
// targets weakly. Main thread only.

#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/View.h"

namespace platform::ui {

class Control : public View {
 public:
  using Action = std::function<void(Control&)>;

  static constexpr unsigned kEventTouchDown = 1;
  static constexpr unsigned kEventTouchDragInside = 4;
  static constexpr unsigned kEventTouchDragOutside = 8;
  static constexpr unsigned kEventTouchUpInside = 64;
  static constexpr unsigned kEventTouchUpOutside = 128;
  static constexpr unsigned kEventTouchCancel = 256;
  static constexpr unsigned kEventValueChanged = 4096;
  static constexpr unsigned kEventAllEvents = 0xFFFFFFFF;

  // Control states, as bits.
  static constexpr unsigned kStateNormal = 0;
  static constexpr unsigned kStateHighlighted = 1;
  static constexpr unsigned kStateDisabled = 2;
  static constexpr unsigned kStateSelected = 4;

  // Actions run in the order they were added. An action with an empty mask
  // or no function is ignored.
  void addTargetActionForControlEvents(Action action, unsigned events);
  void removeAllTargetActions() { actions_.clear(); }
  // Runs every action whose mask shares a bit with `events`.
  void sendActionsForControlEvents(unsigned events);

  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  bool isSelected() const { return selected_; }
  void setSelected(bool selected);
  bool isTracking() const { return tracking_; }
  unsigned state() const;

  void touchesBeganWithEvent(const TouchSet& touches, Event& event) override;
  void touchesMovedWithEvent(const TouchSet& touches, Event& event) override;
  void touchesEndedWithEvent(const TouchSet& touches, Event& event) override;
  void touchesCancelledWithEvent(const TouchSet& touches, Event& event) override;

 protected:
  // Hooks for subclasses, called after the control updated its tracking
  // state and before the tracking events are sent.
  virtual void didEndTracking(bool inside) { (void)inside; }

 private:
  struct Target {
    Action action;
    unsigned events;
  };

  bool touchInside(const TouchSet& touches, Event& event) const;

  std::vector<Target> actions_;
  bool enabled_ = true;
  bool highlighted_ = false;
  bool selected_ = false;
  bool tracking_ = false;
};

}  // namespace platform::ui
