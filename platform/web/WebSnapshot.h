#pragma once
// The engine's picture of a page, for our drawing to show where the
// engine's widget cannot: headless screenshots, and in the window while a
// web view fades, flips or lies under another view.
//
// Ownership: holds the picture's Cairo surface; a plain value of its web
// view.

#include <cairo.h>

#include "platform/graphics/Size.h"
#include "platform/web/WebEngineView.h"

namespace platform::web {

class WebSnapshot {
 public:
  // A fresh picture; the last one stays when the engine gives none.
  void take(WebEngineView& engine);
  bool empty() const { return !surface_; }
  // Paints the picture at the origin, clipped to `size` (points), with
  // `pointsPerPixel` points for each of its pixels. A picture taken before
  // a resize reached the engine shows as it is, not stretched.
  void draw(cairo_t* cairo, graphics::Size size, double pointsPerPixel) const;

 private:
  WebEngineView::Surface surface_;
};

}  // namespace platform::web
