#pragma once
// The on/off switch: 94 x 27 points whatever frame it is given, blue with
// "ON" at the left when on, light grey with "OFF" at the right when off, and
// a knob between the two. A tap (lifting the finger inside) toggles it and
// sends value changed (4096); setOn alone sends nothing.
//
// How to use:
//   auto toggle = std::make_shared<Switch>();
//   toggle->initWithFrame({{211, 210}, {94, 27}});
//   toggle->setOn(stored);
//   toggle->addTargetActionForControlEvents(save, Control::kEventValueChanged);
//
// Ownership: owned by its superview like any view. Main thread only.

#include "platform/ui/Control.h"

namespace platform::ui {

class Switch : public Control {
 public:
  static constexpr double kWidth = 94;
  static constexpr double kHeight = 27;
  static constexpr double kKnobWidth = 40;
  // How long the knob takes to slide when the switch changes animated.
  static constexpr double kSlideDuration = 0.2;

  // Keeps the origin; the size is always kWidth x kHeight.
  void initWithFrame(graphics::Rect frame) override;

  bool isOn() const { return on_; }
  void setOn(bool on) { setOnAnimated(on, false); }
  void setOnAnimated(bool on, bool animated);

  // Where the knob is shown at `now` on the run loop's clock: 0 at the
  // left (off) to 1 at the right (on).
  double knobPosition(double now) const;

  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 protected:
  void didEndTracking(bool inside) override;

 private:
  bool on_ = false;
  double slideFrom_ = 0;
  double slideStart_ = 0;
  bool sliding_ = false;
};

}  // namespace platform::ui
