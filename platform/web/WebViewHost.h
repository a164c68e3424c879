#pragma once
// Puts the engine widgets of web views into the desktop window, above our
// own drawing, so that pages show live and take the mouse and keyboard
// themselves.
//
//   // window front end, once:
//   WebViewHost::shared().attach(GTK_FIXED(layer), scale);
//   // before each frame:
//   WebViewHost::shared().layoutWidgets(RunLoop::main().now());
//
// Each frame, every web view's widget follows its view: placed at the
// view's frame on the screen (as animations show it at that moment),
// shown only while the view is in the key window and neither it nor a
// superview is hidden. A GTK widget cannot fade, turn or lie under our
// drawing, so while the view is translucent, in a flip, or partly covered
// by a view drawn above it (the window's overlays, such as an alert, or a
// spinner of its own), the widget steps aside and the view's drawing shows
// the engine's latest snapshot instead. In a landscape interface the widget
// takes the view's rectangle on the screen with the page upright.
//
// Headless there is no host: web views keep their widgets offscreen.
//
// Ownership: a process-wide object; the container belongs to the front
// end, which detaches it before destroying it.

#include <gtk/gtk.h>

#include "platform/graphics/Rect.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewRegistry.h"

namespace platform::web {

class WebViewHost {
 public:
  // Real seconds between snapshots while a view stands in for its widget.
  static constexpr double kStandInRefreshSeconds = 0.5;

  struct Placement {
    bool visible = false;  // anything of the page shows on the screen
    bool live = false;     // the widget itself shows it (else the snapshot)
    graphics::Rect screenRect;  // in portrait screen points
  };

  static WebViewHost& shared();

  // `scale`: pixels per point of the window (it may be fractional when a
  // scale-2 window was fitted to a small screen).
  void attach(GtkFixed* container, double scale);
  void detach();
  // Where new web views put their widgets; null headless.
  GtkContainer* container() const { return container_ ? GTK_CONTAINER(container_) : nullptr; }
  // Pixels per point of the window (1 headless).
  double scale() const { return container_ ? scale_ : 1; }

  // How `view` shows at `now` on the run loop's clock.
  static Placement placementFor(WebView& view, double now);

  void layoutWidgets(double now);
  // Fresh snapshots of every web view, for a screenshot of the window.
  void refreshSnapshots();
  // A web view going away.
  void forget(const WebView* view);

 private:
  WebViewHost() = default;
  void place(WebView& view, const Placement& placement);

  GtkFixed* container_ = nullptr;
  double scale_ = 1;
};

}  // namespace platform::web
