#include "platform/ui/Renderer.h"

#include "platform/ui/Colors.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <numbers>

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Screen.h"

namespace platform::ui {
namespace {

using graphics::GraphicsContext;
using graphics::Rect;

// Scales below this are not drawn: Cairo cannot invert such a matrix.
constexpr double kMinScale = 1e-4;

// Keeps the Cairo state and the GraphicsContext's own state in step, so a
// view's drawing can never leak colours or transforms into the next view.
class SavedState {
 public:
  explicit SavedState(GraphicsContext& context) : context_(context) { context_.saveGState(); }
  ~SavedState() { context_.restoreGState(); }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;

 private:
  GraphicsContext& context_;
};

void drawLayer(GraphicsContext& context, const Layer& layer, double now) {
  if (layer.isHidden() || layer.opacity() <= 0) return;
  const Rect f = layer.frame();
  const Transform3D t = layer.presentationTransform(now);
  if (std::abs(t.sx) < kMinScale || std::abs(t.sy) < kMinScale) return;
  SavedState saved(context);
  cairo_t* cairo = context.cairoContext();
  // A scale about the layer's centre.
  cairo_translate(cairo, f.midX(), f.midY());
  cairo_scale(cairo, t.sx, t.sy);
  cairo_translate(cairo, -f.size.width / 2, -f.size.height / 2);
  const bool group = layer.opacity() < 1;
  if (group) cairo_push_group(cairo);
  if (layer.contents()) context.drawImageInRect(layer.contents(), {{0, 0}, f.size});
  for (const auto& sublayer : layer.sublayers()) drawLayer(context, *sublayer, now);
  if (group) {
    cairo_pop_group_to_source(cairo);
    cairo_paint_with_alpha(cairo, layer.opacity());
  }
}

void drawView(GraphicsContext& context, View& view, double now);

// The view at the origin: background, its drawing, its layers, its subviews.
void drawContent(GraphicsContext& context, View& view, double now) {
  cairo_t* cairo = context.cairoContext();
  const Rect bounds = view.bounds();
  if (view.clipsToBounds()) {
    cairo_rectangle(cairo, 0, 0, bounds.size.width, bounds.size.height);
    cairo_clip(cairo);
  }
  if (const auto& color = view.backgroundColor(); color && color->alpha > 0) {
    SavedState saved(context);
    // The grouped-table colour is a pattern (pinstripes); others fill plainly.
    Colors::fillBackground(context, *color, bounds);
  }
  {
    SavedState saved(context);
    view.drawRect(context, bounds);
  }
  view.clearNeedsDisplay();
  for (const auto& sublayer : view.layer()->sublayers()) drawLayer(context, *sublayer, now);
  auto subviews = view.subviews();
  for (const auto& subview : subviews) drawView(context, *subview, now);
}

void drawView(GraphicsContext& context, View& view, double now) {
  if (view.isHidden()) return;
  const double alpha = view.presentationAlpha(now);
  if (alpha <= 0) return;
  const Rect frame = view.presentationFrame(now);
  SavedState saved(context);
  cairo_t* cairo = context.cairoContext();
  cairo_translate(cairo, frame.origin.x, frame.origin.y);

  const ViewTransition* transition = view.transitionAtTime(now);
  bool showBefore = false;
  if (transition) {
    // The content turns about its vertical centre line: seen edge-on at
    // half time, when the old content gives way to the new.
    const double progress = transition->timing.progress(now);
    const double width = std::abs(std::cos(std::numbers::pi * progress));
    if (width < kMinScale) return;
    const double centre = frame.size.width / 2;
    cairo_translate(cairo, centre, 0);
    cairo_scale(cairo, width, 1);
    cairo_translate(cairo, -centre, 0);
    showBefore = progress < 0.5;
  }

  const bool group = alpha < 1;
  if (group) cairo_push_group(cairo);
  if (showBefore) {
    if (transition->before) context.drawImageInRect(transition->before, {{0, 0}, transition->size});
  } else {
    drawContent(context, view, now);
  }
  if (group) {
    cairo_pop_group_to_source(cairo);
    cairo_paint_with_alpha(cairo, alpha);
  }
}

void drawStatusBar(cairo_t* cairo, double width) {
  cairo_save(cairo);
  cairo_rectangle(cairo, 0, 0, width, Screen::kStatusBarHeight);
  cairo_set_source_rgb(cairo, 0, 0, 0);
  cairo_fill(cairo);
  if (auto font = graphics::Font::boldSystemFontOfSize(12)) {
    PangoLayout* layout = pango_cairo_create_layout(cairo);
    pango_layout_set_font_description(layout, font->pangoDescription());
    pango_layout_set_text(layout, Renderer::kStatusBarTime, -1);
    int textWidth = 0, textHeight = 0;
    pango_layout_get_pixel_size(layout, &textWidth, &textHeight);
    cairo_move_to(cairo, (width - textWidth) / 2, (Screen::kStatusBarHeight - textHeight) / 2);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    pango_cairo_show_layout(cairo, layout);
    g_object_unref(layout);
  }
  cairo_restore(cairo);
}

// Maps the window's content onto the portrait screen for an orientation.
cairo_matrix_t orientationMatrix(InterfaceOrientation orientation) {
  const auto o = screenPointFromContentPoint(orientation, {0, 0});
  const auto ex = screenPointFromContentPoint(orientation, {1, 0});
  const auto ey = screenPointFromContentPoint(orientation, {0, 1});
  cairo_matrix_t m;
  cairo_matrix_init(&m, ex.x - o.x, ex.y - o.y, ey.x - o.x, ey.y - o.y, o.x, o.y);
  return m;
}

}  // namespace

Renderer::Renderer(std::weak_ptr<Window> window, double scale)
    : window_(std::move(window)), scale_(scale == 2 ? 2 : 1) {}

std::shared_ptr<GraphicsContext> Renderer::render() const { return renderAtTime(RunLoop::current().now()); }

std::shared_ptr<GraphicsContext> Renderer::renderAtTime(double now) const {
  const Rect screen = Screen::mainScreen().bounds();
  auto context = GraphicsContext::imageContext(static_cast<int>(screen.size.width),
                                               static_cast<int>(screen.size.height), scale_);
  if (!context) return nullptr;
  drawScreen(context->cairoContext(), window_.lock(), now);
  return context;
}

bool Renderer::screenshotPNG(const std::string& path) const {
  auto context = render();
  return context && context->writePNG(path);
}

void Renderer::drawScreen(cairo_t* cairo, const std::shared_ptr<Window>& window, double now) {
  auto context = GraphicsContext::contextWithCairo(cairo);
  if (!context) return;
  const Rect screen = Screen::mainScreen().bounds();
  cairo_save(cairo);
  cairo_rectangle(cairo, 0, 0, screen.size.width, screen.size.height);
  cairo_set_source_rgb(cairo, 0, 0, 0);
  cairo_fill(cairo);

  const InterfaceOrientation orientation =
      window ? window->interfaceOrientation() : InterfaceOrientation::Portrait;
  const cairo_matrix_t m = orientationMatrix(orientation);
  cairo_transform(cairo, &m);
  if (window) {
    window->layoutIfNeeded();
    GraphicsContext::pushContext(context);
    drawView(*context, *window, now);
    GraphicsContext::popContext();
  }
  drawStatusBar(cairo, contentSizeForOrientation(orientation).width);
  if (window && !window->overlayViews().empty()) {
    GraphicsContext::pushContext(context);
    auto overlays = window->overlayViews();
    for (const auto& overlay : overlays) {
      overlay->layoutIfNeeded();
      drawView(*context, *overlay, now);
    }
    GraphicsContext::popContext();
  }
  cairo_restore(cairo);
}

std::shared_ptr<graphics::Image> Renderer::snapshotView(View& view, double scale, double now) {
  const auto size = view.bounds().size;
  const int width = static_cast<int>(std::ceil(size.width));
  const int height = static_cast<int>(std::ceil(size.height));
  auto context = GraphicsContext::imageContext(width, height, scale);
  if (!context) return nullptr;
  view.layoutIfNeeded();
  GraphicsContext::pushContext(context);
  drawContent(*context, view, now);
  GraphicsContext::popContext();
  return context->makeImage();
}

}  // namespace platform::ui
