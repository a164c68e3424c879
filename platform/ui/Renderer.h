#pragma once
// Draws a window as the phone's screen shows it: the view tree, turned for
// the interface orientation, into a 320 x 480 point image at scale 1 or 2,
// with the status bar on top. Every frame draws the whole tree; animations
// are sampled at the time given (the run loop's clock by default).
//
// How to use:
//   Renderer renderer(window, Screen::mainScreen().scale());
//   auto image = renderer.render();           // a GraphicsContext to read pixels from
//   if (!renderer.screenshotPNG(path)) ...
// The desktop front end draws straight into its widget with drawScreen().
//
// The window's overlays (alerts, action sheets) come last, over the status
// bar. Order per view: its background colour, drawRect, the sublayers of its
// layer, then its subviews. Hidden views and views with alpha 0 are
// skipped with their subtrees; a view with alpha below 1 is composited as a
// group. Clipping to bounds only where clipsToBounds is set.
//
// Ownership: the renderer holds the window weakly; a renderer of a window
// that has gone draws an empty (black) screen with the status bar.

#include <cairo.h>

#include <memory>
#include <string>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace platform::ui {

class Renderer {
 public:
  // The constant time the status bar shows, so screenshots stay stable.
  static constexpr const char* kStatusBarTime = "9:41 AM";

  Renderer(std::weak_ptr<Window> window, double scale);

  // A new image of the screen at `now` (default: the current run loop's
  // time); nullptr only when the image cannot be allocated.
  std::shared_ptr<graphics::GraphicsContext> render() const;
  std::shared_ptr<graphics::GraphicsContext> renderAtTime(double now) const;
  // Writes render() as a PNG file; false when it cannot be written.
  [[nodiscard]] bool screenshotPNG(const std::string& path) const;

  // Draws the screen into a Cairo context whose user space is the portrait
  // screen in points.
  static void drawScreen(cairo_t* cairo, const std::shared_ptr<Window>& window, double now);
  // The view's own look (background, drawing, layers, subviews) at the
  // origin, without its position and alpha: what a flip transition starts
  // from. nullptr for an empty view.
  static std::shared_ptr<graphics::Image> snapshotView(View& view, double scale, double now);

 private:
  std::weak_ptr<Window> window_;
  double scale_;
};

}  // namespace platform::ui
