#include "platform/web/WebEngineView.h"

#include "platform/foundation/Log.h"
#include "platform/web/WebLoadError.h"
#include "platform/web/WebPageGuards.h"

namespace platform::web {

int WebEngineView::waitDepth_ = 0;

namespace {

WebNavigationType navigationType(WebKitNavigationAction* action) {
  switch (webkit_navigation_action_get_navigation_type(action)) {
    case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED:
      return WebNavigationType::LinkClicked;
    case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED:
      return WebNavigationType::FormSubmitted;
    case WEBKIT_NAVIGATION_TYPE_BACK_FORWARD:
      return WebNavigationType::BackForward;
    case WEBKIT_NAVIGATION_TYPE_RELOAD:
      return WebNavigationType::Reload;
    case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED:
      return WebNavigationType::FormResubmitted;
    default:
      return WebNavigationType::Other;
  }
}

WebEngineView::Navigation navigationOf(WebKitNavigationAction* action, bool newWindow) {
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
  return {uri ? uri : "", navigationType(action), newWindow};
}

}  // namespace

WebEngineView::WebEngineView(Client& client, WebKitWebContext* context, WebKitSettings* settings,
                             GtkContainer* container)
    : client_(client) {
  view_ = WEBKIT_WEB_VIEW(g_object_ref_sink(
      g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "settings", settings, nullptr)));
  connectSignals();
  if (container) {
    gtk_container_add(container, widget());
  } else {
    offscreenWindow_ = GTK_WIDGET(g_object_ref_sink(gtk_offscreen_window_new()));
    gtk_container_add(GTK_CONTAINER(offscreenWindow_), widget());
    gtk_widget_show_all(offscreenWindow_);
  }
}

WebEngineView::~WebEngineView() {
  g_signal_handlers_disconnect_by_data(view_, this);
  // The desktop window may have taken the widget down with it when it
  // closed; a widget that is gone has nothing left to stop.
  if (!widgetDestroyed_) {
    // Stop the page first, so nothing it started reports to a view that
    // is going away.
    webkit_web_view_stop_loading(view_);
    if (!offscreenWindow_) gtk_widget_destroy(widget());
  }
  if (offscreenWindow_) {
    gtk_widget_destroy(offscreenWindow_);
    g_object_unref(offscreenWindow_);
  }
  g_object_unref(view_);
}

void WebEngineView::connectSignals() {
  g_signal_connect(view_, "decide-policy", G_CALLBACK(onDecidePolicy), this);
  g_signal_connect(view_, "create", G_CALLBACK(onCreate), this);
  g_signal_connect(view_, "load-changed", G_CALLBACK(onLoadChanged), this);
  g_signal_connect(view_, "load-failed", G_CALLBACK(onLoadFailed), this);
  g_signal_connect(view_, "load-failed-with-tls-errors", G_CALLBACK(onTlsFailed), this);
  g_signal_connect(view_, "notify::is-loading", G_CALLBACK(onIsLoading), this);
  g_signal_connect(view_, "web-process-terminated", G_CALLBACK(onProcessTerminated), this);
  g_signal_connect(view_, "destroy", G_CALLBACK(+[](GtkWidget*, gpointer self) {
    static_cast<WebEngineView*>(self)->widgetDestroyed_ = true;
  }), this);
  WebPageGuards::install(view_);
}

std::string WebEngineView::uri() const {
  const char* text = webkit_web_view_get_uri(view_);
  return text ? text : "";
}

std::string WebEngineView::title() const {
  const char* text = webkit_web_view_get_title(view_);
  return text ? text : "";
}

void WebEngineView::load(const WebRequest& request) {
  WebKitURIRequest* uriRequest = webkit_uri_request_new(request.url().c_str());
  if (request.bypassesCaches()) {
    if (SoupMessageHeaders* headers = webkit_uri_request_get_http_headers(uriRequest)) {
      soup_message_headers_replace(headers, "Cache-Control", "no-cache");
      soup_message_headers_replace(headers, "Pragma", "no-cache");
    }
  }
  webkit_web_view_load_request(view_, uriRequest);
  g_object_unref(uriRequest);
}

void WebEngineView::setOffscreenSize(int width, int height) {
  if (!offscreenWindow_) return;
  gtk_widget_set_size_request(widget(), width, height);
  gtk_window_resize(GTK_WINDOW(offscreenWindow_), width, height);
}

bool WebEngineView::waitUntil(const bool& done, double timeout) {
  bool timedOut = false;
  const guint timer = g_timeout_add(static_cast<guint>(timeout * 1000), [](gpointer flag) -> gboolean {
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
  }, &timedOut);
  ++waitDepth_;
  while (!done && !timedOut) g_main_context_iteration(nullptr, TRUE);
  --waitDepth_;
  if (!timedOut) g_source_remove(timer);
  return done;
}

namespace {

// Shared between a synchronous call and the engine's answer, which may come
// after the call gave up waiting.
template <typename T>
struct Pending {
  bool done = false;
  T value{};
};

template <typename T>
gpointer holdPending(const std::shared_ptr<Pending<T>>& pending) {
  return new std::shared_ptr<Pending<T>>(pending);
}

template <typename T>
std::shared_ptr<Pending<T>> takePending(gpointer data) {
  auto* holder = static_cast<std::shared_ptr<Pending<T>>*>(data);
  auto pending = std::move(*holder);
  delete holder;
  return pending;
}

// The platform's rule: strings as they are, undefined and null as "",
// everything else as JavaScript's own conversion to text.
std::optional<std::string> textOf(JSCValue* value) {
  if (jsc_value_is_undefined(value) || jsc_value_is_null(value)) return std::string();
  char* text = jsc_value_to_string(value);
  std::optional<std::string> result;
  if (text) result = text;
  g_free(text);
  return result;
}

}  // namespace

std::optional<std::string> WebEngineView::evaluate(const std::string& script, double timeout) {
  using Result = std::optional<std::string>;
  auto pending = std::make_shared<Pending<Result>>();
  g_object_ref(view_);
  webkit_web_view_evaluate_javascript(
      view_, script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr, nullptr,
      [](GObject* object, GAsyncResult* result, gpointer data) {
        auto pending = takePending<Result>(data);
        GError* error = nullptr;
        JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(object), result, &error);
        if (value) {
          pending->value = textOf(value);
          g_object_unref(value);
        }
        if (error) g_error_free(error);
        pending->done = true;
      },
      holdPending(pending));
  const bool finished = waitUntil(pending->done, timeout);
  if (!finished) {
    // A page busy for that long would hang every later call and load as
    // well: its content process is ended, and the next load starts afresh.
    log("WebView: a script did not finish in time; the page was stopped");
    webkit_web_view_terminate_web_process(view_);
  }
  g_object_unref(view_);
  return finished ? pending->value : std::nullopt;
}

bool WebEngineView::roundTrip(double timeout) {
  auto pending = std::make_shared<Pending<bool>>();
  g_object_ref(view_);
  webkit_web_view_call_async_javascript_function(
      view_, "await new Promise(resolve => setTimeout(resolve, 0));", -1, nullptr, nullptr, nullptr, nullptr,
      [](GObject* object, GAsyncResult* result, gpointer data) {
        auto pending = takePending<bool>(data);
        GError* error = nullptr;
        JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(object), result, &error);
        if (value) g_object_unref(value);
        if (error) g_error_free(error);
        pending->done = true;
      },
      holdPending(pending));
  const bool finished = waitUntil(pending->done, timeout);
  g_object_unref(view_);
  return finished;
}

WebEngineView::Surface WebEngineView::snapshot(double timeout) {
  auto pending = std::make_shared<Pending<Surface>>();
  g_object_ref(view_);
  webkit_web_view_get_snapshot(
      view_, WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
      [](GObject* object, GAsyncResult* result, gpointer data) {
        auto pending = takePending<Surface>(data);
        GError* error = nullptr;
        cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(object), result, &error);
        if (surface) pending->value = Surface(surface, cairo_surface_destroy);
        if (error) g_error_free(error);
        pending->done = true;
      },
      holdPending(pending));
  const bool finished = waitUntil(pending->done, timeout);
  g_object_unref(view_);
  return finished ? pending->value : nullptr;
}

void WebEngineView::sendPointer(Pointer phase, double x, double y) {
  GdkWindow* window = gtk_widget_get_window(widget());
  if (!window) return;
  GdkEventType type = phase == Pointer::Down ? GDK_BUTTON_PRESS
                      : phase == Pointer::Up ? GDK_BUTTON_RELEASE
                                             : GDK_MOTION_NOTIFY;
  GdkEvent* event = gdk_event_new(type);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
  gdk_event_set_device(event, seat ? gdk_seat_get_pointer(seat) : nullptr);
  if (type == GDK_MOTION_NOTIFY) {
    event->motion.window = GDK_WINDOW(g_object_ref(window));
    event->motion.send_event = TRUE;
    event->motion.time = GDK_CURRENT_TIME;
    event->motion.x = event->motion.x_root = x;
    event->motion.y = event->motion.y_root = y;
    event->motion.state = GDK_BUTTON1_MASK;
  } else {
    event->button.window = GDK_WINDOW(g_object_ref(window));
    event->button.send_event = TRUE;
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = event->button.x_root = x;
    event->button.y = event->button.y_root = y;
    event->button.button = 1;
    event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
  }
  gtk_widget_event(widget(), event);
  gdk_event_free(event);
}

gboolean WebEngineView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                       WebKitPolicyDecisionType type, gpointer self) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
    if (WebPageGuards::isDownload(response)) {
      WebKitURIRequest* request = webkit_response_policy_decision_get_request(response);
      log(std::string("WebView: refused a download of ") + webkit_uri_request_get_uri(request));
      webkit_policy_decision_ignore(decision);
    } else {
      webkit_policy_decision_use(decision);
    }
    return TRUE;
  }
  auto* action = webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const bool newWindow = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
  clientOf(self).engineDecideNavigation(navigationOf(action, newWindow), WebPolicyDecision(decision));
  return TRUE;
}

GtkWidget* WebEngineView::onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer self) {
  clientOf(self).engineDecideNavigation(navigationOf(action, true), WebPolicyDecision(nullptr));
  return nullptr;  // never a second view
}

void WebEngineView::onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
  const char* uri = webkit_web_view_get_uri(view);
  if (event == WEBKIT_LOAD_STARTED) {
    clientOf(self).engineLoadStarted(uri ? uri : "");
  } else if (event == WEBKIT_LOAD_COMMITTED) {
    clientOf(self).engineLoadCommitted(uri ? uri : "");
  } else if (event == WEBKIT_LOAD_FINISHED) {
    clientOf(self).engineLoadFinished();
  }
}

gboolean WebEngineView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer self) {
  const std::string url = uri ? uri : "";
  clientOf(self).engineLoadFailed(WebLoadError::fromGError(*error, url), url);
  return TRUE;  // no error page of the engine's own
}

gboolean WebEngineView::onTlsFailed(WebKitWebView*, gchar* uri, GTlsCertificate*, GTlsCertificateFlags flags,
                                    gpointer self) {
  const std::string url = uri ? uri : "";
  clientOf(self).engineLoadFailed(WebLoadError::fromCertificateFlags(flags, url), url);
  return TRUE;
}

void WebEngineView::onIsLoading(GObject* object, GParamSpec*, gpointer self) {
  if (!webkit_web_view_is_loading(WEBKIT_WEB_VIEW(object))) clientOf(self).engineStoppedLoading();
}

void WebEngineView::onProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer self) {
  clientOf(self).engineContentProcessEnded();
}

}  // namespace platform::web
