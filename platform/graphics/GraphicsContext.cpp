#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "platform/graphics/SetAsidePath.h"
#include "platform/graphics/TangentArc.h"

namespace platform::graphics {

namespace {

bool allFinite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

std::vector<std::shared_ptr<GraphicsContext>>& contextStack() {
  static auto* stack = new std::vector<std::shared_ptr<GraphicsContext>>();
  return *stack;
}

}  // namespace

GraphicsContext::GraphicsContext(Passkey, cairo_t* cairo, double scale)
    : cairo_(cairo), scale_(scale), states_(1) {}

GraphicsContext::~GraphicsContext() { cairo_destroy(cairo_); }

std::shared_ptr<GraphicsContext> GraphicsContext::imageContext(int width, int height, double scale) {
  if ((scale != 1 && scale != 2) || width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
    return nullptr;
  }
  const int factor = static_cast<int>(scale);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * factor, height * factor);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_set_device_scale(surface, scale, scale);
  cairo_t* cairo = cairo_create(surface);
  cairo_surface_destroy(surface);  // the context holds its own reference
  if (cairo_status(cairo) != CAIRO_STATUS_SUCCESS) {
    cairo_destroy(cairo);
    return nullptr;
  }
  return std::make_shared<GraphicsContext>(Passkey{}, cairo, scale);
}

std::shared_ptr<GraphicsContext> GraphicsContext::contextWithCairo(cairo_t* cairo) {
  if (cairo == nullptr || cairo_status(cairo) != CAIRO_STATUS_SUCCESS) {
    return nullptr;
  }
  double sx = 1, sy = 1;
  cairo_surface_get_device_scale(cairo_get_target(cairo), &sx, &sy);
  return std::make_shared<GraphicsContext>(Passkey{}, cairo_reference(cairo), sx);
}

std::shared_ptr<GraphicsContext> GraphicsContext::currentContext() {
  auto& stack = contextStack();
  return stack.empty() ? nullptr : stack.back();
}

void GraphicsContext::pushContext(std::shared_ptr<GraphicsContext> context) {
  contextStack().push_back(std::move(context));
}

void GraphicsContext::popContext() {
  auto& stack = contextStack();
  if (!stack.empty()) {
    stack.pop_back();
  }
}

void GraphicsContext::saveGState() {
  cairo_save(cairo_);
  State copy = states_.back();
  copy.layerAlpha.reset();
  states_.push_back(copy);
}

void GraphicsContext::restoreGState() {
  if (states_.size() < 2 || states_.back().layerAlpha) {
    return;
  }
  cairo_restore(cairo_);
  states_.pop_back();
}

void GraphicsContext::beginTransparencyLayer() {
  State layer = states_.back();
  layer.layerAlpha = layer.alpha;
  layer.alpha = 1;
  cairo_push_group(cairo_);
  states_.push_back(layer);
}

void GraphicsContext::endTransparencyLayer() {
  auto open = std::find_if(states_.rbegin(), states_.rend(), [](const State& s) { return s.layerAlpha.has_value(); });
  if (open == states_.rend()) {
    return;
  }
  while (!states_.back().layerAlpha) {
    cairo_restore(cairo_);
    states_.pop_back();
  }
  const double layerAlpha = *states_.back().layerAlpha;
  states_.pop_back();
  SetAsidePath path(cairo_);
  cairo_pop_group_to_source(cairo_);
  cairo_paint_with_alpha(cairo_, layerAlpha);
}

void GraphicsContext::moveToPoint(double x, double y) {
  if (allFinite({x, y})) {
    cairo_move_to(cairo_, x, y);
  }
}

void GraphicsContext::addLineToPoint(double x, double y) {
  if (allFinite({x, y})) {
    cairo_line_to(cairo_, x, y);
  }
}

void GraphicsContext::addArcToPoint(double x1, double y1, double x2, double y2, double radius) {
  if (!allFinite({x1, y1, x2, y2, radius})) {
    return;
  }
  const auto current = currentPoint();
  if (!current) {
    cairo_move_to(cairo_, x1, y1);
    return;
  }
  const TangentArc arc = TangentArc::compute(*current, {x1, y1}, {x2, y2}, radius);
  cairo_line_to(cairo_, arc.lineEnd.x, arc.lineEnd.y);
  if (arc.isArc) {
    if (arc.increasingAngle) {
      cairo_arc(cairo_, arc.center.x, arc.center.y, radius, arc.startAngle, arc.endAngle);
    } else {
      cairo_arc_negative(cairo_, arc.center.x, arc.center.y, radius, arc.startAngle, arc.endAngle);
    }
  }
}

void GraphicsContext::addArc(double x, double y, double radius, double startAngle, double endAngle, int clockwise) {
  if (!allFinite({x, y, radius, startAngle, endAngle}) || radius < 0) {
    return;
  }
  if (clockwise == 0) {
    cairo_arc(cairo_, x, y, radius, startAngle, endAngle);
  } else {
    cairo_arc_negative(cairo_, x, y, radius, startAngle, endAngle);
  }
}

void GraphicsContext::addRect(Rect rect) {
  if (allFinite({rect.origin.x, rect.origin.y, rect.size.width, rect.size.height})) {
    cairo_rectangle(cairo_, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  }
}

void GraphicsContext::closePath() { cairo_close_path(cairo_); }

void GraphicsContext::beginPath() { cairo_new_path(cairo_); }

std::optional<Point> GraphicsContext::currentPoint() const {
  if (!cairo_has_current_point(cairo_)) {
    return std::nullopt;
  }
  Point p;
  cairo_get_current_point(cairo_, &p.x, &p.y);
  return p;
}

void GraphicsContext::setSource(Color color) const {
  cairo_set_source_rgba(cairo_, color.red, color.green, color.blue, color.alpha * states_.back().alpha);
}

void GraphicsContext::strokePath() {
  setSource(states_.back().stroke);
  cairo_stroke(cairo_);
}

void GraphicsContext::fillPath() {
  setSource(states_.back().fill);
  cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
  cairo_fill(cairo_);
}

void GraphicsContext::eoFillPath() {
  setSource(states_.back().fill);
  cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cairo_);
  cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
}

void GraphicsContext::clip() {
  cairo_set_fill_rule(cairo_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cairo_);
}

void GraphicsContext::clipToRect(Rect rect) {
  SetAsidePath path(cairo_);
  addRect(rect);
  cairo_clip(cairo_);
}

void GraphicsContext::fillRect(Rect rect) {
  SetAsidePath path(cairo_);
  addRect(rect);
  fillPath();
}

void GraphicsContext::strokeRect(Rect rect) {
  SetAsidePath path(cairo_);
  addRect(rect);
  strokePath();
}

void GraphicsContext::setLineWidth(double width) {
  if (std::isfinite(width)) {
    cairo_set_line_width(cairo_, std::max(0.0, width));
  }
}

void GraphicsContext::setStrokeColor(Color color) { states_.back().stroke = color; }

void GraphicsContext::setFillColor(Color color) { states_.back().fill = color; }

void GraphicsContext::setAlpha(double alpha) {
  states_.back().alpha = std::isnan(alpha) ? 1.0 : std::clamp(alpha, 0.0, 1.0);
}

void GraphicsContext::translate(double tx, double ty) {
  if (allFinite({tx, ty})) {
    cairo_translate(cairo_, tx, ty);
  }
}

void GraphicsContext::scale(double sx, double sy) { concat(AffineTransform::makeScale(sx, sy)); }

void GraphicsContext::rotate(double angle) {
  if (std::isfinite(angle)) {
    cairo_rotate(cairo_, angle);
  }
}

void GraphicsContext::concat(const AffineTransform& t) {
  // A singular matrix would put the Cairo context into its permanent error
  // state, ending all drawing; the platform merely draws nothing visible
  // through it. Such a transform is not applied at all.
  const double determinant = t.a * t.d - t.b * t.c;
  if (!allFinite({t.a, t.b, t.c, t.d, t.tx, t.ty}) || determinant == 0 || !std::isfinite(1 / determinant)) {
    return;
  }
  cairo_matrix_t matrix;
  cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
  cairo_transform(cairo_, &matrix);
}

}  // namespace platform::graphics
