#include "tools/adserver/PicturePainter.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace pennant::adserver {

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
};

void setColor(cairo_t* cr, std::uint32_t rgb, double lighten = 0.0) {
  auto channel = [&](int shift) {
    const double value = static_cast<double>((rgb >> shift) & 0xFF) / 255.0;
    return value + (1.0 - value) * lighten;
  };
  cairo_set_source_rgb(cr, channel(16), channel(8), channel(0));
}

void roundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void shapePath(cairo_t* cr, const PictureDescription& picture) {
  const double w = picture.width;
  const double h = picture.height;
  const double side = std::min(w, h);
  const double cx = w / 2;
  const double cy = h / 2;
  switch (picture.shape) {
    case PictureDescription::Shape::Circle: cairo_arc(cr, cx, cy, side / 2 - 0.5, 0, 2 * M_PI); break;
    case PictureDescription::Shape::Square: cairo_rectangle(cr, cx - side / 2, cy - side / 2, side, side); break;
    case PictureDescription::Shape::Rounded:
      roundedRectangle(cr, cx - side / 2, cy - side / 2, side, side, side / 5);
      break;
    case PictureDescription::Shape::Diamond:
      cairo_move_to(cr, cx, cy - side / 2);
      cairo_line_to(cr, cx + side / 2, cy);
      cairo_line_to(cr, cx, cy + side / 2);
      cairo_line_to(cr, cx - side / 2, cy);
      cairo_close_path(cr);
      break;
    case PictureDescription::Shape::Triangle:
      cairo_move_to(cr, cx, cy - side / 2);
      cairo_line_to(cr, cx + side / 2, cy + side / 2);
      cairo_line_to(cr, cx - side / 2, cy + side / 2);
      cairo_close_path(cr);
      break;
    case PictureDescription::Shape::Band: roundedRectangle(cr, 0, 0, w, h, std::min(6.0, side / 4)); break;
  }
}

void drawLabel(cairo_t* cr, const PictureDescription& picture) {
  if (picture.label.empty()) return;
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
  double size = std::min(picture.width, picture.height) * 0.6;
  cairo_text_extents_t extents;
  // Shrink until the label fits with a small margin; a banner's word must
  // not run off its ends.
  for (;;) {
    cairo_set_font_size(cr, size);
    cairo_text_extents(cr, picture.label.c_str(), &extents);
    if (extents.width <= picture.width * 0.9 || size <= 4) break;
    size *= 0.9;
  }
  const double x = (picture.width - extents.width) / 2 - extents.x_bearing;
  const double y = (picture.height - extents.height) / 2 - extents.y_bearing;
  cairo_move_to(cr, x, y);
  setColor(cr, picture.labelColor);
  cairo_show_text(cr, picture.label.c_str());
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void PicturePainter::releaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}

std::optional<std::string> PicturePainter::paintPng(const PictureDescription& picture) {
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width, picture.height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  {
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    shapePath(cr.get(), picture);
    setColor(cr.get(), picture.color);
    cairo_fill_preserve(cr.get());
    // The gloss: a lighter wash over the upper half, clipped to the shape.
    cairo_clip(cr.get());
    cairo_rectangle(cr.get(), 0, 0, picture.width, picture.height / 2.0);
    setColor(cr.get(), picture.color, 0.25);
    cairo_fill(cr.get());
    cairo_reset_clip(cr.get());
    drawLabel(cr.get(), picture);
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return std::nullopt;
  }
  cairo_surface_flush(surface.get());
  std::string png;
  if (cairo_surface_write_to_png_stream(surface.get(), appendToString, &png) != CAIRO_STATUS_SUCCESS) {
    return std::nullopt;
  }
  return png;
}

}  // namespace pennant::adserver
