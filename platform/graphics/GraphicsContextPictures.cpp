// The picture half of GraphicsContext: gradients, images, and reading the
// pixels of an image context back. Kept apart from the path operations so
// that each file stays readable; it is the same class.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SetAsidePath.h"

namespace platform::graphics {

namespace {

// The key under which a surface over an Image's pixels keeps the Image alive.
const cairo_user_data_key_t kImageKey{};

bool allFinite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

void GraphicsContext::drawLinearGradient(const Gradient& gradient, Point start, Point end, unsigned options) {
  const double dx = end.x - start.x;
  const double dy = end.y - start.y;
  const double length = std::hypot(dx, dy);
  if (!allFinite({start.x, start.y, end.x, end.y}) || length == 0) {
    return;
  }
  SetAsidePath path(cairo_);
  cairo_save(cairo_);
  // Cairo's padding continues both end colours; the platform continues only
  // the sides asked for. So clip to the strip between the start and end
  // lines, each widened to infinity (as far as the clip reaches) on request.
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  cairo_clip_extents(cairo_, &x1, &y1, &x2, &y2);
  double reach = 1;
  for (const Point corner : {Point{x1, y1}, Point{x2, y1}, Point{x1, y2}, Point{x2, y2}}) {
    reach = std::max(reach, std::hypot(corner.x - start.x, corner.y - start.y) + 1);
  }
  const double ux = dx / length, uy = dy / length;
  const double nx = -uy * reach, ny = ux * reach;
  const double from = (options & kGradientDrawsBeforeStartLocation) ? -reach : 0;
  const double to = (options & kGradientDrawsAfterEndLocation) ? length + reach : length;
  cairo_move_to(cairo_, start.x + ux * from + nx, start.y + uy * from + ny);
  cairo_line_to(cairo_, start.x + ux * to + nx, start.y + uy * to + ny);
  cairo_line_to(cairo_, start.x + ux * to - nx, start.y + uy * to - ny);
  cairo_line_to(cairo_, start.x + ux * from - nx, start.y + uy * from - ny);
  cairo_close_path(cairo_);
  cairo_clip(cairo_);

  cairo_pattern_t* pattern = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
  for (const auto& stop : gradient.stops()) {
    cairo_pattern_add_color_stop_rgba(pattern, stop.location, stop.color.red, stop.color.green, stop.color.blue,
                                      stop.color.alpha * states_.back().alpha);
  }
  cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
  cairo_set_source(cairo_, pattern);
  cairo_paint(cairo_);
  cairo_pattern_destroy(pattern);
  cairo_restore(cairo_);
}

void GraphicsContext::drawImageAtPoint(const std::shared_ptr<Image>& image, Point point) {
  if (image) {
    drawImageInRect(image, Rect{point, image->size()});
  }
}

void GraphicsContext::drawImageInRect(const std::shared_ptr<Image>& image, Rect rect) {
  if (!image || image->pixelWidth() < 1 || image->pixelHeight() < 1 || !(rect.size.width > 0) ||
      !(rect.size.height > 0) || !allFinite({rect.origin.x, rect.origin.y, rect.size.width, rect.size.height})) {
    return;
  }
  // Cairo only reads the pixels of a source surface; the const_cast does not
  // let anything write to the Image.
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      const_cast<unsigned char*>(image->argb32Data()), CAIRO_FORMAT_ARGB32, image->pixelWidth(),
      image->pixelHeight(), image->stride());
  auto* keeper = new std::shared_ptr<Image>(image);
  if (cairo_surface_set_user_data(surface, &kImageKey, keeper,
                                  [](void* p) { delete static_cast<std::shared_ptr<Image>*>(p); }) !=
      CAIRO_STATUS_SUCCESS) {
    delete keeper;
    cairo_surface_destroy(surface);
    return;
  }
  SetAsidePath path(cairo_);
  cairo_save(cairo_);
  cairo_rectangle(cairo_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_clip(cairo_);
  cairo_translate(cairo_, rect.origin.x, rect.origin.y);
  cairo_scale(cairo_, rect.size.width / image->pixelWidth(), rect.size.height / image->pixelHeight());
  cairo_set_source_surface(cairo_, surface, 0, 0);
  // Padding keeps the edges of a scaled picture opaque instead of blending
  // them with the transparent outside.
  cairo_pattern_set_extend(cairo_get_source(cairo_), CAIRO_EXTEND_PAD);
  cairo_pattern_set_filter(cairo_get_source(cairo_), CAIRO_FILTER_GOOD);
  cairo_paint_with_alpha(cairo_, states_.back().alpha);
  cairo_restore(cairo_);
  cairo_surface_destroy(surface);
}


cairo_surface_t* GraphicsContext::imageSurface() const {
  cairo_surface_t* target = cairo_get_target(cairo_);
  if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) {
    return nullptr;
  }
  cairo_surface_flush(target);
  return target;
}

int GraphicsContext::pixelWidth() const {
  cairo_surface_t* surface = imageSurface();
  return surface ? cairo_image_surface_get_width(surface) : 0;
}

int GraphicsContext::pixelHeight() const {
  cairo_surface_t* surface = imageSurface();
  return surface ? cairo_image_surface_get_height(surface) : 0;
}

std::optional<GraphicsContext::Pixel> GraphicsContext::pixelAt(int x, int y) const {
  cairo_surface_t* surface = imageSurface();
  if (surface == nullptr || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32 || x < 0 || y < 0 ||
      x >= cairo_image_surface_get_width(surface) || y >= cairo_image_surface_get_height(surface)) {
    return std::nullopt;
  }
  const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
  std::uint32_t word = 0;
  std::memcpy(&word, row + static_cast<std::size_t>(x) * 4, sizeof word);
  const unsigned alpha = word >> 24;
  // Undo the premultiplication, rounding to the nearest value.
  auto channel = [alpha](std::uint32_t premultiplied) {
    return static_cast<std::uint8_t>(alpha == 0 ? 0 : (premultiplied * 255 + alpha / 2) / alpha);
  };
  return Pixel{channel((word >> 16) & 0xFF), channel((word >> 8) & 0xFF), channel(word & 0xFF),
               static_cast<std::uint8_t>(alpha)};
}

std::vector<std::uint8_t> GraphicsContext::pngData() const {
  std::vector<std::uint8_t> bytes;
  cairo_surface_t* surface = imageSurface();
  if (surface == nullptr) {
    return bytes;
  }
  auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
  };
  if (cairo_surface_write_to_png_stream(surface, append, &bytes) != CAIRO_STATUS_SUCCESS) {
    bytes.clear();
  }
  return bytes;
}

bool GraphicsContext::writePNG(const std::string& path) const {
  cairo_surface_t* surface = imageSurface();
  return surface != nullptr && cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

std::shared_ptr<Image> GraphicsContext::makeImage() const {
  const auto png = pngData();
  return png.empty() ? nullptr : Image::imageWithData(std::span<const std::uint8_t>(png));
}

}  // namespace platform::graphics
