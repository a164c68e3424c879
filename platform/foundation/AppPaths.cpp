#include "platform/foundation/AppPaths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "platform/foundation/AppIdentity.h"

namespace platform {

namespace {

struct HomeState {
  std::mutex mutex;
  std::optional<std::string> override;
};

HomeState& state() {
  static HomeState* homeState = new HomeState();
  return *homeState;
}

}  // namespace

std::string AppPaths::defaultHome(const char* xdgDataHome, const char* userHome) {
  // The XDG rules ignore a relative XDG_DATA_HOME.
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
    return std::string(xdgDataHome) + "/" + AppIdentity::current().fileName;
  }
  std::string base = userHome != nullptr ? userHome : "";
  if (base.empty()) {
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
      base = entry->pw_dir;
    }
  }
  if (base.empty()) {
    base = "/tmp";
  }
  return base + "/.local/share/" + AppIdentity::current().fileName;
}

std::string AppPaths::home() {
  {
    std::lock_guard lock(state().mutex);
    if (state().override) {
      return *state().override;
    }
  }
  return defaultHome(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

void AppPaths::setHome(std::optional<std::string> path) {
  std::lock_guard lock(state().mutex);
  state().override = std::move(path);
}

std::string AppPaths::documentsDirectory() { return home() + "/Documents"; }

std::string AppPaths::preferencesDirectory() { return home() + "/Library/Preferences"; }

std::string AppPaths::temporaryDirectory() { return home() + "/tmp"; }

}  // namespace platform
