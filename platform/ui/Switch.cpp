#include "platform/ui/Switch.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/AnimationCurve.h"
#include "platform/ui/ControlDrawing.h"

namespace platform::ui {

using graphics::Color;
using graphics::Rect;

namespace {

constexpr auto rgb = Color::rgb;

constexpr double kRadius = 6;
constexpr double kLabelFontSize = 16;

}  // namespace

void Switch::initWithFrame(Rect frame) {
  Control::initWithFrame({frame.origin, {kWidth, kHeight}});
  setOpaque(false);
}

void Switch::setOnAnimated(bool on, bool animated) {
  const double now = RunLoop::current().now();
  if (animated && on != on_) {
    slideFrom_ = knobPosition(now);
    slideStart_ = now;
    sliding_ = true;
  } else {
    sliding_ = false;
  }
  on_ = on;
  setNeedsDisplay();
}

double Switch::knobPosition(double now) const {
  const double target = on_ ? 1 : 0;
  if (!sliding_ || now >= slideStart_ + kSlideDuration) return target;
  const double t = animationCurveProgress(AnimationCurve::EaseInOut, (now - slideStart_) / kSlideDuration);
  return slideFrom_ + (target - slideFrom_) * std::clamp(t, 0.0, 1.0);
}

void Switch::didEndTracking(bool inside) {
  if (!inside) return;
  setOnAnimated(!on_, true);
  sendActionsForControlEvents(kEventValueChanged);
}

void Switch::drawRect(graphics::GraphicsContext& context, Rect) {
  const Rect b{{0, 0}, {kWidth, kHeight}};
  const double knobX = knobPosition(RunLoop::current().now()) * (kWidth - kKnobWidth);
  const double split = knobX + kKnobWidth / 2;
  context.saveGState();
  if (!isEnabled()) context.setAlpha(0.5);
  ControlDrawing::addRoundedRect(context, b, kRadius);
  context.clip();
  // The blue "ON" half slides in from the left with the knob.
  context.addRect({{0, 0}, {split, kHeight}});
  ControlDrawing::fillPathWithVerticalGradient(context, b, {rgb(0, 94, 214), rgb(52, 141, 240)});
  context.addRect({{split, 0}, {kWidth - split, kHeight}});
  ControlDrawing::fillPathWithVerticalGradient(context, b, {rgb(225, 225, 225), rgb(253, 253, 253)});
  if (auto font = graphics::Font::boldSystemFontOfSize(kLabelFontSize)) {
    const double side = kWidth - kKnobWidth;
    ControlDrawing::drawCentredLine(context, "ON", {{knobX - side, 0}, {side, kHeight}}, *font, Color::whiteColor());
    ControlDrawing::drawCentredLine(context, "OFF", {{knobX + kKnobWidth, 0}, {side, kHeight}}, *font,
                                    Color::colorWithWhiteAlpha(0.45, 1));
  }
  const Rect knob{{knobX + 0.5, 0.5}, {kKnobWidth - 1, kHeight - 1}};
  ControlDrawing::addRoundedRect(context, knob, kRadius);
  // A pressed knob darkens a little, as the finger's feedback.
  const double knobTop = isHighlighted() ? 0.78 : 0.84;
  ControlDrawing::fillPathWithVerticalGradient(context, knob,
                                               {Color::colorWithWhiteAlpha(knobTop, 1), rgb(250, 250, 250)});
  ControlDrawing::addRoundedRect(context, knob, kRadius);
  context.setStrokeColor(Color::colorWithWhiteAlpha(0.55, 1));
  context.setLineWidth(1);
  context.strokePath();
  context.restoreGState();
  // The outline over everything.
  context.saveGState();
  ControlDrawing::addRoundedRect(context, {{0.5, 0.5}, {kWidth - 1, kHeight - 1}}, kRadius);
  context.setStrokeColor(Color::colorWithWhiteAlpha(0.5, 1));
  context.setLineWidth(1);
  context.strokePath();
  context.restoreGState();
}

}  // namespace platform::ui
