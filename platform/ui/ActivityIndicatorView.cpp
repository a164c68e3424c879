#include "platform/ui/ActivityIndicatorView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ControlDrawing.h"

namespace platform::ui {

std::shared_ptr<ActivityIndicatorView> ActivityIndicatorView::initWithActivityIndicatorStyle(int style) {
  auto view = std::make_shared<ActivityIndicatorView>();
  view->style_ = style;
  const double side = style == kStyleWhiteLarge ? 37 : 20;
  view->initWithFrame({{0, 0}, {side, side}});
  view->setOpaque(false);
  view->setUserInteractionEnabled(false);
  view->setHidden(true);
  return view;
}

void ActivityIndicatorView::startAnimating() {
  if (animating_) return;
  animating_ = true;
  startTime_ = RunLoop::current().now();
  setHidden(false);
  setNeedsDisplay();
}

void ActivityIndicatorView::stopAnimating() {
  animating_ = false;
  if (hidesWhenStopped_) setHidden(true);
  setNeedsDisplay();
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
  hidesWhenStopped_ = hides;
  if (!animating_) setHidden(hides);
}

int ActivityIndicatorView::currentStep(double now) const {
  if (!animating_ || now < startTime_) return 0;
  const auto steps = static_cast<long long>(std::floor((now - startTime_) * kStepsPerSecond));
  return static_cast<int>(steps % kSpokes);
}

void ActivityIndicatorView::drawRect(graphics::GraphicsContext& context, graphics::Rect) {
  const graphics::Rect b = bounds();
  const double radius = std::min(b.size.width, b.size.height) / 2;
  if (radius <= 0) return;
  const double level = style_ == kStyleGray ? 0.42 : 1.0;
  const int lead = currentStep(RunLoop::current().now());
  const double spokeWidth = radius * 0.2;
  const double inner = radius * 0.45;
  for (int i = 0; i < kSpokes; ++i) {
    // The spokes behind the brightest one fade out over the full turn.
    const int behind = (lead - i + kSpokes) % kSpokes;
    const double alpha = 1.0 - 0.8 * behind / (kSpokes - 1);
    context.saveGState();
    context.translate(b.midX(), b.midY());
    context.rotate(2 * std::numbers::pi * i / kSpokes);
    ControlDrawing::addRoundedRect(context, {{-spokeWidth / 2, -radius}, {spokeWidth, radius - inner}}, spokeWidth / 2);
    context.setFillColor(graphics::Color::colorWithWhiteAlpha(level, alpha));
    context.fillPath();
    context.restoreGState();
  }
}

}  // namespace platform::ui
