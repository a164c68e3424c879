#include "platform/ui/PopupBackdrop.h"

#include <cairo.h>

#include <cmath>

#include "platform/graphics/GraphicsContext.h"

namespace platform::ui {

namespace {

// How dark the screen gets behind a box: evenly, or for alerts lighter in
// the middle and darker towards the corners.
constexpr double kEvenDimming = 0.4;
constexpr double kVignetteCentre = 0.3;
constexpr double kVignetteEdge = 0.6;

}  // namespace

std::shared_ptr<PopupBackdrop> PopupBackdrop::backdropForPopup(const std::shared_ptr<PopupView>& popup) {
  auto backdrop = std::make_shared<PopupBackdrop>();
  backdrop->initWithFrame({});
  backdrop->setOpaque(false);
  backdrop->popup_ = popup;
  backdrop->addSubview(popup);
  return backdrop;
}

void PopupBackdrop::layoutSubviews() {
  popup_->setNeedsLayout();
  popup_->layoutIfNeeded();
}

void PopupBackdrop::drawRect(graphics::GraphicsContext& context, graphics::Rect) {
  const auto b = bounds();
  cairo_t* cairo = context.cairoContext();
  cairo_rectangle(cairo, 0, 0, b.size.width, b.size.height);
  if (!popup_->dimsWithVignette()) {
    cairo_set_source_rgba(cairo, 0, 0, 0, kEvenDimming);
    cairo_fill(cairo);
    return;
  }
  const double reach = std::hypot(b.size.width, b.size.height) / 2;
  cairo_pattern_t* vignette = cairo_pattern_create_radial(b.midX(), b.midY(), 0, b.midX(), b.midY(), reach);
  cairo_pattern_add_color_stop_rgba(vignette, 0, 0, 0, 0, kVignetteCentre);
  cairo_pattern_add_color_stop_rgba(vignette, 1, 0, 0, 0, kVignetteEdge);
  cairo_set_source(cairo, vignette);
  cairo_fill(cairo);
  cairo_pattern_destroy(vignette);
}

}  // namespace platform::ui
