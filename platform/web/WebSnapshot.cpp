#include "platform/web/WebSnapshot.h"

namespace platform::web {

void WebSnapshot::take(WebEngineView& engine) {
  if (auto fresh = engine.snapshot()) surface_ = std::move(fresh);
}

void WebSnapshot::draw(cairo_t* cairo, graphics::Size size, double pointsPerPixel) const {
  if (!surface_) return;
  cairo_save(cairo);
  cairo_rectangle(cairo, 0, 0, size.width, size.height);
  cairo_clip(cairo);
  cairo_scale(cairo, pointsPerPixel, pointsPerPixel);
  cairo_set_source_surface(cairo, surface_.get(), 0, 0);
  cairo_paint(cairo);
  cairo_restore(cairo);
}

}  // namespace platform::web
