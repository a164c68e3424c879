#include "platform/shell/UrlOpener.h"

#include <glib.h>

#include <vector>

#include "platform/foundation/Log.h"

namespace platform::shell {

namespace {

std::string& program() {
  static auto* name = new std::string("xdg-open");
  return *name;
}

}  // namespace

void UrlOpener::setProgram(std::string name) { program() = std::move(name); }

bool UrlOpener::openWithXdgOpen(const std::string& url) {
  if (url.empty() || url.front() == '-') return false;
  std::string name = program();
  std::vector<char*> argv = {name.data(), const_cast<char*>(url.c_str()), nullptr};
  GError* error = nullptr;
  // Without G_SPAWN_DO_NOT_REAP_CHILD GLib reaps the child itself, so no
  // zombie is left and nothing waits for the browser.
  const gboolean started =
      g_spawn_async(nullptr, argv.data(), nullptr,
                    static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL),
                    nullptr, nullptr, nullptr, &error);
  if (!started) {
    log("Could not start " + name + ": " + (error ? error->message : "unknown error"));
    if (error) g_error_free(error);
    return false;
  }
  return true;
}

}  // namespace platform::shell
