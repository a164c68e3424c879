#include "platform/web/WebViewHost.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "platform/foundation/RealClock.h"
#include "platform/ui/Window.h"

namespace platform::web {

namespace {

using graphics::Rect;

// A view this faint is as good as invisible; anything below fully opaque
// needs our drawing to show it.
constexpr double kInvisibleAlpha = 0.01;
constexpr double kOpaqueAlpha = 0.999;

struct WidgetState {
  bool shown = false;
  Rect placed;
  double lastSnapshot = -1;  // on the real clock
};

std::map<const WebView*, WidgetState>& widgetStates() {
  static auto* states = new std::map<const WebView*, WidgetState>();
  return *states;
}

// The view's rectangle in window coordinates as shown at `now`.
Rect shownRectInWindow(const ui::View& view, double now) {
  Rect rect{{0, 0}, view.presentationFrame(now).size};
  for (const ui::View* v = &view; v; ) {
    auto parent = v->superview();
    if (!parent) break;
    const Rect frame = v->presentationFrame(now);
    rect.origin.x += frame.origin.x;
    rect.origin.y += frame.origin.y;
    v = parent.get();
  }
  return rect;
}

Rect screenRect(const Rect& inWindow, ui::InterfaceOrientation orientation) {
  const auto a = ui::screenPointFromContentPoint(orientation, inWindow.origin);
  const auto b = ui::screenPointFromContentPoint(
      orientation, {inWindow.origin.x + inWindow.size.width, inWindow.origin.y + inWindow.size.height});
  return {{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::abs(b.x - a.x), std::abs(b.y - a.y)}};
}

bool intersects(const Rect& a, const Rect& b) {
  return a.origin.x < b.origin.x + b.size.width && b.origin.x < a.origin.x + a.size.width &&
         a.origin.y < b.origin.y + b.size.height && b.origin.y < a.origin.y + a.size.height;
}

bool showsOver(const ui::View& other, const Rect& rect, double now) {
  return !other.isHidden() && other.presentationAlpha(now) >= kInvisibleAlpha &&
         intersects(shownRectInWindow(other, now), rect);
}

// Whether a view drawn after `view` shows over `rect`: one of its own
// subviews (the canvas's spinner), a later sibling of it or of one of its
// superviews, or anything inside those.
bool isCovered(const ui::View& view, const Rect& rect, double now) {
  for (const auto& subview : view.subviews()) {
    if (showsOver(*subview, rect, now)) return true;
  }
  for (const ui::View* v = &view; v; ) {
    auto parent = v->superview();
    if (!parent) return false;
    const auto& siblings = parent->subviews();
    auto it = std::find_if(siblings.begin(), siblings.end(), [v](const auto& s) { return s.get() == v; });
    for (++it; it != siblings.end(); ++it) {
      if (showsOver(**it, rect, now)) return true;
    }
    v = parent.get();
  }
  return false;
}

}  // namespace

WebViewHost& WebViewHost::shared() {
  static auto* host = new WebViewHost();
  return *host;
}

void WebViewHost::attach(GtkFixed* container, double scale) {
  container_ = container;
  scale_ = scale > 0 ? scale : 1;
}

void WebViewHost::detach() {
  container_ = nullptr;
  widgetStates().clear();
}

WebViewHost::Placement WebViewHost::placementFor(WebView& view, double now) {
  Placement placement;
  auto window = view.window();
  if (!window || window != ui::Window::keyWindow()) return placement;
  bool opaque = true;
  for (const ui::View* v = &view; v; v = v->superview().get()) {
    const double alpha = v->presentationAlpha(now);
    if (v->isHidden() || alpha < kInvisibleAlpha) return placement;
    if (alpha < kOpaqueAlpha || v->transitionAtTime(now)) opaque = false;
  }
  const Rect inWindow = shownRectInWindow(view, now);
  placement.visible = inWindow.size.width > 0 && inWindow.size.height > 0;
  placement.screenRect = screenRect(inWindow, window->interfaceOrientation());
  // The window's overlays (an alert over its dimmed screen) fill it.
  const auto& overlays = window->overlayViews();
  const bool underOverlay = std::any_of(overlays.begin(), overlays.end(), [now](const auto& overlay) {
    return !overlay->isHidden() && overlay->presentationAlpha(now) >= kInvisibleAlpha;
  });
  placement.live = placement.visible && opaque && !underOverlay && !isCovered(view, inWindow, now);
  return placement;
}

void WebViewHost::layoutWidgets(double now) {
  if (!container_) return;
  for (const auto& view : WebViewRegistry::all()) {
    if (!view->engine() || view->engine()->isOffscreen()) continue;
    place(*view, placementFor(*view, now));
  }
}

void WebViewHost::place(WebView& view, const Placement& placement) {
  auto& state = widgetStates()[&view];
  GtkWidget* widget = view.engine()->widget();
  if (!placement.live) {
    if (state.shown) gtk_widget_hide(widget);
    state.shown = false;
    const double realNow = RealClock().now();
    if (placement.visible && (state.lastSnapshot < 0 || realNow - state.lastSnapshot >= kStandInRefreshSeconds)) {
      view.refreshSnapshot();
      state.lastSnapshot = realNow;
    }
    return;
  }
  state.lastSnapshot = -1;  // the next stand-in starts with a fresh picture
  const Rect& r = placement.screenRect;
  if (!state.shown || r != state.placed) {
    gtk_fixed_move(container_, widget, static_cast<int>(std::lround(r.origin.x * scale_)),
                   static_cast<int>(std::lround(r.origin.y * scale_)));
    gtk_widget_set_size_request(widget, static_cast<int>(std::lround(r.size.width * scale_)),
                                static_cast<int>(std::lround(r.size.height * scale_)));
    state.placed = r;
  }
  if (!state.shown) gtk_widget_show(widget);
  state.shown = true;
}

void WebViewHost::forget(const WebView* view) { widgetStates().erase(view); }

void WebViewHost::refreshSnapshots() {
  for (const auto& view : WebViewRegistry::all()) view->refreshSnapshot();
}

}  // namespace platform::web
