#include "platform/shell/WindowFrontEnd.h"

#include <algorithm>
#include <cstdlib>

#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/EventJournal.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/GLibMainContextSource.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/SystemSound.h"
#include "platform/shell/AppLauncher.h"
#include "platform/shell/EventRecorder.h"
#include "platform/shell/WallClock.h"
#include "platform/ui/Application.h"
#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebEngineView.h"
#include "platform/web/WebViewHost.h"

namespace platform::shell {

namespace {

constexpr int kPortrait = 1;
constexpr int kLandscapeLeft = 3;
constexpr int kLandscapeRight = 4;

WindowFrontEnd& frontEnd(gpointer self) { return *static_cast<WindowFrontEnd*>(self); }

}  // namespace

int WindowFrontEnd::orientationAfterKey(int current, unsigned keyval) {
  switch (keyval) {
    case GDK_KEY_Left:
      return current == kLandscapeLeft ? kPortrait : kLandscapeLeft;
    case GDK_KEY_Right:
      return current == kLandscapeRight ? kPortrait : kLandscapeRight;
    case GDK_KEY_Up:
      return kPortrait;
    default:
      return current;
  }
}

double WindowFrontEnd::fittedScale(int scale, int workAreaWidth, int workAreaHeight) {
  const graphics::Size screen = ui::Screen::mainScreen().bounds().size;
  const double byWidth = (workAreaWidth - kFrameAllowanceWidth) / screen.width;
  const double byHeight = (workAreaHeight - kFrameAllowanceHeight) / screen.height;
  return std::max(1.0, std::min({static_cast<double>(scale), byWidth, byHeight}));
}

std::string WindowFrontEnd::screenshotPath(const std::string& folder) {
  for (int n = 1;; ++n) {
    std::string path = folder + "/" + AppIdentity::current().fileName + "-" + std::to_string(n) + ".png";
    if (!FileManager::fileExistsAtPath(path)) return path;
  }
}

int WindowFrontEnd::run(ApplicationDelegate& delegate) {
  if (!gtk_init_check(nullptr, nullptr)) {
    AppLauncher::printError("cannot open a display; run with --headless --script FILE --out DIR");
    return AppLauncher::kExitFailure;
  }
  auto& loop = RunLoop::main();
  loop.makeCurrent();
  if (!GLibMainContextSource::attachTo(loop)) {
    AppLauncher::printError("GLib's main context is in use elsewhere");
    return AppLauncher::kExitFailure;
  }

  std::shared_ptr<EventJournal> journal;
  if (options_.out) {
    if (FileManager::createDirectoryAtPath(*options_.out)) {
      journal = EventJournal::openAtPath(*options_.out + "/events.jsonl", loop.clock());
    }
    if (!journal) {
      AppLauncher::printError("cannot write " + *options_.out + "/events.jsonl");
      return AppLauncher::kExitFailure;
    }
    EventJournal::setCurrent(journal);
  }
  EventRecorder recorder(journal, options_.effectiveUrlOpening());
  recorder.install();
  AppLauncher::removeStaleTemporaryFiles();
  media::SystemSound::setVibrationObserver([this] { startShake(); });

  displayScale_ = options_.scale;
  if (options_.fitScreen) {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    if (monitor) {
      GdkRectangle workArea{};
      gdk_monitor_get_workarea(monitor, &workArea);
      displayScale_ = fittedScale(options_.scale, workArea.width, workArea.height);
    }
  }
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), AppIdentity::current().name.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  // Our drawing at the bottom; web views' widgets go above it, into the
  // same fixed layer, where they take the mouse and keys over their frames.
  GtkWidget* layer = gtk_fixed_new();
  area_ = gtk_drawing_area_new();
  const graphics::Size screen = ui::Screen::mainScreen().bounds().size;
  gtk_widget_set_size_request(area_, static_cast<int>(screen.width * displayScale_),
                              static_cast<int>(screen.height * displayScale_));
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_BUTTON1_MOTION_MASK);
  gtk_fixed_put(GTK_FIXED(layer), area_, 0, 0);
  gtk_container_add(GTK_CONTAINER(window_), layer);
  web::WebViewHost::shared().attach(GTK_FIXED(layer), displayScale_);
  g_signal_connect(area_, "draw", G_CALLBACK(onDraw), this);
  g_signal_connect(area_, "button-press-event", G_CALLBACK(onButton), this);
  g_signal_connect(area_, "button-release-event", G_CALLBACK(onButton), this);
  g_signal_connect(area_, "motion-notify-event", G_CALLBACK(onMotion), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(onDestroy), this);

  // The window runs on real time; a pinned start only shifts the wall clock.
  if (options_.wallTime) WallClock::install(options_.wallTime, loop.clock());
  AppLauncher::loadBundleFonts();
  delegate.applicationDidFinishLaunching(ui::Application::sharedApplication());
  recorder.observeNavigation(ui::Window::keyWindow());

  gtk_widget_show_all(window_);
  web::WebViewHost::shared().layoutWidgets(loop.now());
  redrawTimer_ = g_timeout_add(kRedrawIntervalMs, onRedraw, this);
  loop.run();

  web::WebViewHost::shared().detach();
  if (redrawTimer_) g_source_remove(redrawTimer_);
  if (shakeTimer_) g_source_remove(shakeTimer_);
  media::SystemSound::setVibrationObserver(nullptr);
  recorder.uninstall();
  GLibMainContextSource::detachFrom(loop);
  if (journal) EventJournal::setCurrent(nullptr);
  if (options_.wallTime) WallClock::uninstall();
  return 0;
}

gboolean WindowFrontEnd::onDraw(GtkWidget*, cairo_t* cairo, gpointer self) {
  cairo_save(cairo);
  cairo_scale(cairo, frontEnd(self).displayScale_, frontEnd(self).displayScale_);
  ui::Renderer::drawScreen(cairo, ui::Window::keyWindow(), RunLoop::main().now());
  cairo_restore(cairo);
  return TRUE;
}

void WindowFrontEnd::touch(int phase, double x, double y) {
  auto window = ui::Window::keyWindow();
  if (!window) return;
  window->sendTouchAtScreenPoint(static_cast<ui::TouchPhase>(phase), {x / displayScale_, y / displayScale_});
  if (area_) gtk_widget_queue_draw(area_);
}

bool WindowFrontEnd::deferredWhileWaiting(GdkEvent* event) {
  // A web view waiting for the engine (a script result) runs GLib's loop,
  // and with it our input handlers: the app is in the middle of a call and
  // must not take a touch now. The event is handled right after the wait.
  if (!web::WebEngineView::isWaiting()) return false;
  GdkEvent* copy = gdk_event_copy(event);
  RunLoop::main().performSoon([this, copy] {
    if (window_) gtk_widget_event(copy->any.type == GDK_KEY_PRESS ? window_ : area_, copy);
    gdk_event_free(copy);
  });
  return true;
}

gboolean WindowFrontEnd::onButton(GtkWidget*, GdkEventButton* event, gpointer self) {
  auto& me = frontEnd(self);
  if (event->button != 1) return FALSE;
  if (me.deferredWhileWaiting(reinterpret_cast<GdkEvent*>(event))) return TRUE;
  if (event->type == GDK_BUTTON_PRESS) {
    me.fingerDown_ = true;
    me.touch(static_cast<int>(ui::TouchPhase::Began), event->x, event->y);
  } else if (event->type == GDK_BUTTON_RELEASE && me.fingerDown_) {
    me.fingerDown_ = false;
    me.touch(static_cast<int>(ui::TouchPhase::Ended), event->x, event->y);
  }
  return TRUE;
}

gboolean WindowFrontEnd::onMotion(GtkWidget*, GdkEventMotion* event, gpointer self) {
  auto& me = frontEnd(self);
  if (me.deferredWhileWaiting(reinterpret_cast<GdkEvent*>(event))) return TRUE;
  if (me.fingerDown_) me.touch(static_cast<int>(ui::TouchPhase::Moved), event->x, event->y);
  return TRUE;
}

gboolean WindowFrontEnd::onKey(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto& me = frontEnd(self);
  if (me.deferredWhileWaiting(reinterpret_cast<GdkEvent*>(event))) return TRUE;
  if (event->keyval == GDK_KEY_s || event->keyval == GDK_KEY_S) {
    me.saveScreenshot();
    return TRUE;
  }
  auto& application = ui::Application::sharedApplication();
  const int current = application.deviceOrientation() == 0 ? kPortrait : application.deviceOrientation();
  const int next = orientationAfterKey(current, event->keyval);
  if (next == current) return FALSE;
  application.setDeviceOrientation(next);
  if (me.area_) gtk_widget_queue_draw(me.area_);
  return TRUE;
}

void WindowFrontEnd::saveScreenshot() {
  const char* folder = std::getenv(AppIdentity::current().environmentVariable("SCREENSHOTS").c_str());
  const std::string path = screenshotPath(folder && *folder ? folder : ".");
  web::WebViewHost::shared().refreshSnapshots();  // pages as they are now, under live widgets too
  ui::Renderer renderer(ui::Window::keyWindow(), options_.scale);
  if (renderer.screenshotPNG(path)) {
    log("Screenshot saved to " + path);
  } else {
    log("Could not save a screenshot to " + path);
  }
}

gboolean WindowFrontEnd::onRedraw(gpointer self) {
  auto& me = frontEnd(self);
  if (web::WebEngineView::isWaiting()) return G_SOURCE_CONTINUE;
  web::WebViewHost::shared().layoutWidgets(RunLoop::main().now());
  if (me.area_) gtk_widget_queue_draw(me.area_);
  return G_SOURCE_CONTINUE;
}

void WindowFrontEnd::startShake() {
  if (!window_) return;
  if (shakeTimer_ == 0) gtk_window_get_position(GTK_WINDOW(window_), &homeX_, &homeY_);
  shakeTicks_ = static_cast<int>(kShakeSeconds * 1000 / 30);
  if (shakeTimer_ == 0) shakeTimer_ = g_timeout_add(30, onShake, this);
}

gboolean WindowFrontEnd::onShake(gpointer self) {
  auto& me = frontEnd(self);
  if (!me.window_) {
    me.shakeTimer_ = 0;
    return G_SOURCE_REMOVE;
  }
  if (--me.shakeTicks_ <= 0) {
    gtk_window_move(GTK_WINDOW(me.window_), me.homeX_, me.homeY_);
    me.shakeTimer_ = 0;
    return G_SOURCE_REMOVE;
  }
  const int offset = (me.shakeTicks_ % 2 == 0) ? kShakePixels : -kShakePixels;
  gtk_window_move(GTK_WINDOW(me.window_), me.homeX_ + offset, me.homeY_);
  return G_SOURCE_CONTINUE;
}

void WindowFrontEnd::onDestroy(GtkWidget*, gpointer self) {
  auto& me = frontEnd(self);
  me.window_ = nullptr;
  me.area_ = nullptr;
  RunLoop::main().stop();
}

}  // namespace platform::shell
