#include "platform/web/WebRuntime.h"

#include <gtk/gtk.h>

#include <cstdlib>

#include "platform/foundation/GLibMainContextSource.h"
#include "platform/foundation/Log.h"
#include "platform/web/PrivateDisplay.h"

namespace platform::web {

namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

void refuseDownload(WebKitWebContext*, WebKitDownload* download, gpointer) {
  WebKitURIRequest* request = webkit_download_get_request(download);
  const char* uri = request ? webkit_uri_request_get_uri(request) : nullptr;
  log(std::string("WebView: refused a download of ") + (uri ? uri : "a page"));
  webkit_download_cancel(download);
}

}  // namespace

WebRuntime& WebRuntime::shared() {
  static auto* runtime = new WebRuntime();
  return *runtime;
}

bool WebRuntime::prepare(RunLoop& loop) {
  if (state_ == State::Unprepared) {
    if (initializeToolkit()) {
      createContext();
      state_ = State::Ready;
    } else {
      state_ = State::Failed;
    }
  }
  if (state_ == State::Failed) return false;
  if (!GLibMainContextSource::attachTo(loop)) {
    // Another thread runs GLib's main context: our loop cannot drive the
    // engine, and its callbacks would arrive on the wrong thread.
    failure_ = "the web engine's main context belongs to another thread";
    state_ = State::Failed;
    return false;
  }
  return true;
}

bool WebRuntime::initializeToolkit() {
  if (gdk_display_get_default()) return true;  // the window front end did it
  if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
    if (auto error = PrivateDisplay::start(); !error.empty()) {
      failure_ = error;
      return false;
    }
  }
  if (!gtk_init_check(nullptr, nullptr)) {
    const char* display = std::getenv("DISPLAY");
    failure_ = std::string("no display: cannot open ") + (display ? display : "the display");
    return false;
  }
  return true;
}

void WebRuntime::createContext() {
  context_ = webkit_web_context_new_ephemeral();
  g_signal_connect(context_, "download-started", G_CALLBACK(refuseDownload), nullptr);

  settings_ = webkit_settings_new();
  webkit_settings_set_enable_javascript(settings_, TRUE);
  webkit_settings_set_javascript_can_open_windows_automatically(settings_, FALSE);
  webkit_settings_set_allow_file_access_from_file_urls(settings_, FALSE);
  webkit_settings_set_allow_universal_access_from_file_urls(settings_, FALSE);
  webkit_settings_set_enable_developer_extras(settings_, FALSE);
  webkit_settings_set_enable_write_console_messages_to_stdout(settings_, FALSE);
  webkit_settings_set_enable_smooth_scrolling(settings_, FALSE);
  webkit_settings_set_enable_fullscreen(settings_, FALSE);
  // Software rendering: the same pictures on every machine, Xvfb included,
  // and snapshots that never depend on a GPU.
  webkit_settings_set_hardware_acceleration_policy(settings_, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
}

}  // namespace platform::web
