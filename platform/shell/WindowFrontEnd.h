#pragma once
// The desktop front end: a GTK 3 window of 320 x 480 (x2 with --scale 2,
// shrunk to fit the screen's work area unless --fit-screen off) showing the
// screen as the Renderer draws it, on the real clock.
//
//   mouse button 1     the finger: press, drag and release are touch down,
//                      move and up
//   Left / Right       turn the device to landscape-left / landscape-right;
//                      the same key again turns it back to portrait
//   Up                 back to portrait
//   s                  saves a screenshot (PNG) into $<PREFIX>SCREENSHOTS
//                      (the prefix of the app's identity) or the current
//                      folder, and logs where
//   closing the window ends the app
//
// Web views show as the engine's own widgets above our drawing, placed
// before every frame (WebViewHost); they take the mouse and keys over their
// frames themselves.
//
// The window shakes for 0.3 s whenever the app vibrates. With --out DIR the
// run also writes DIR/events.jsonl as the headless driver does. GLib's main
// context runs inside our run loop (GLibMainContextSource).
//
// Ownership: the front end owns its GTK widgets and the journal for the
// duration of run(); the caller owns the delegate.

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "platform/shell/ApplicationDelegate.h"
#include "platform/shell/LaunchOptions.h"

namespace platform::shell {

class WindowFrontEnd {
 public:
  static constexpr int kRedrawIntervalMs = 33;  // about 30 frames a second
  static constexpr double kShakeSeconds = 0.3;
  static constexpr int kShakePixels = 4;
  // Room left around the drawing for the window's frame and title bar when
  // it is fitted to the work area.
  static constexpr int kFrameAllowanceWidth = 16;
  static constexpr int kFrameAllowanceHeight = 48;

  explicit WindowFrontEnd(LaunchOptions options) : options_(std::move(options)) {}

  int run(ApplicationDelegate& delegate);

  // The device orientation after pressing an arrow key in `current`.
  static int orientationAfterKey(int current, unsigned keyval);
  // The pixels per point the window shows for --scale `scale` on a work area
  // of that size: `scale` when it fits with room for the frame, else as
  // much as fits, keeping the screen's shape, but never below 1.
  static double fittedScale(int scale, int workAreaWidth, int workAreaHeight);
  // A free file name "<app file name>-N.png" in `folder`.
  static std::string screenshotPath(const std::string& folder);

 private:
  static gboolean onDraw(GtkWidget* widget, cairo_t* cairo, gpointer self);
  static gboolean onButton(GtkWidget* widget, GdkEventButton* event, gpointer self);
  static gboolean onMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self);
  static gboolean onKey(GtkWidget* widget, GdkEventKey* event, gpointer self);
  static gboolean onRedraw(gpointer self);
  static gboolean onShake(gpointer self);
  static void onDestroy(GtkWidget* widget, gpointer self);

  bool deferredWhileWaiting(GdkEvent* event);
  void touch(int phase, double x, double y);
  void saveScreenshot();
  void startShake();

  LaunchOptions options_;
  GtkWidget* window_ = nullptr;
  GtkWidget* area_ = nullptr;
  // Pixels per point on the window (screenshots keep --scale).
  double displayScale_ = 1;
  bool fingerDown_ = false;
  int shakeTicks_ = 0;
  gint homeX_ = 0, homeY_ = 0;
  guint redrawTimer_ = 0;
  guint shakeTimer_ = 0;
};

}  // namespace platform::shell
