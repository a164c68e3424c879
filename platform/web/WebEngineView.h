#pragma once
// The engine's view of one web view: a WebKitWebView widget with its
// signals turned into calls on a Client, and the few synchronous services a
// web view needs from an asynchronous engine (script results, snapshots),
// each waiting in real time with a time-out by running GLib's main context.
//
// The engine's requests that could block a page or let it escape are
// answered here (see WebPageGuards), never passed on; responses the engine
// would download (attachments, types it cannot show) are refused.
//
// While a synchronous wait runs, other engine signals (of any web view) are
// still dispatched: isWaiting() tells clients to hold their reactions until
// the wait is over.
//
// Ownership: owned by its WebView (through unique_ptr); holds a reference
// on the widget and, headless, on the offscreen window the widget lives in.
// The Client must outlive the engine view.

#include <cairo.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/web/WebPolicyDecision.h"
#include "platform/web/WebRequest.h"
#include "platform/web/WebViewDelegate.h"

namespace platform::web {

class WebEngineView {
 public:
  static constexpr double kScriptTimeout = 5.0;
  static constexpr double kSnapshotTimeout = 5.0;

  struct Navigation {
    std::string url;
    WebNavigationType type = WebNavigationType::Other;
    bool newWindow = false;  // target=_blank or window.open: to load in this view instead
  };

  class Client {
   public:
    virtual ~Client() = default;
    // A navigation the engine is about to make; `decision` is empty for a
    // window.open(), which the engine does not wait for.
    virtual void engineDecideNavigation(Navigation navigation, WebPolicyDecision decision) = 0;
    virtual void engineLoadStarted(const std::string& url) = 0;
    // The page at `url` replaced the one shown before.
    virtual void engineLoadCommitted(const std::string& url) = 0;
    virtual void engineLoadFinished() = 0;
    virtual void engineLoadFailed(const Error& error, const std::string& url) = 0;
    // The engine stopped loading (it may still report how the load ended).
    virtual void engineStoppedLoading() = 0;
    virtual void engineContentProcessEnded() = 0;
  };

  using Surface = std::shared_ptr<cairo_surface_t>;

  // `container`: where the widget goes (the window front end's), or null
  // for an offscreen window of its own.
  WebEngineView(Client& client, WebKitWebContext* context, WebKitSettings* settings, GtkContainer* container);
  ~WebEngineView();
  WebEngineView(const WebEngineView&) = delete;
  WebEngineView& operator=(const WebEngineView&) = delete;

  GtkWidget* widget() const { return GTK_WIDGET(view_); }
  bool isOffscreen() const { return offscreenWindow_ != nullptr; }

  void load(const WebRequest& request);
  void goBack() { webkit_web_view_go_back(view_); }
  void goForward() { webkit_web_view_go_forward(view_); }
  void reload() { webkit_web_view_reload(view_); }
  void stopLoading() { webkit_web_view_stop_loading(view_); }
  bool isEngineLoading() const { return webkit_web_view_is_loading(view_); }
  bool canGoBack() const { return webkit_web_view_can_go_back(view_); }
  bool canGoForward() const { return webkit_web_view_can_go_forward(view_); }
  std::string uri() const;
  std::string title() const;
  void setZoomLevel(double zoom) { webkit_web_view_set_zoom_level(view_, zoom); }

  // Headless: the size of the offscreen page, in points.
  void setOffscreenSize(int width, int height);

  // The script's result as text (see WebView); nullopt when it threw, gave
  // a value that cannot cross (a function, a promise) or timed out. A page
  // that does not answer in time has its content process ended.
  std::optional<std::string> evaluate(const std::string& script, double timeout = kScriptTimeout);
  // Waits for one turn of the page's own event loop, so that whatever the
  // page scheduled before (a script's navigation) has been asked for.
  // False on time-out.
  bool roundTrip(double timeout = kScriptTimeout);
  // The visible part of the page as the engine paints it; null on failure.
  Surface snapshot(double timeout = kSnapshotTimeout);

  // A synthetic mouse event at a point of the page, in points: the headless
  // stand-in for a finger on the page.
  enum class Pointer { Down, Move, Up };
  void sendPointer(Pointer phase, double x, double y);

  static bool isWaiting() { return waitDepth_ > 0; }

 private:
  // Runs GLib's main context until `done` or the time-out; false on time-out.
  static bool waitUntil(const bool& done, double timeout);
  void connectSignals();
  static Client& clientOf(gpointer self) { return static_cast<WebEngineView*>(self)->client_; }

  static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer);
  static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction*, gpointer);
  static void onLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer);
  static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError*, gpointer);
  static gboolean onTlsFailed(WebKitWebView*, gchar*, GTlsCertificate*, GTlsCertificateFlags, gpointer);
  static void onIsLoading(GObject*, GParamSpec*, gpointer);
  static void onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer);

  Client& client_;
  WebKitWebView* view_ = nullptr;
  GtkWidget* offscreenWindow_ = nullptr;
  bool widgetDestroyed_ = false;
  static int waitDepth_;
};

}  // namespace platform::web
