#include "platform/foundation/Bundle.h"

#include <cstdlib>
#include <filesystem>

#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/ExecutablePath.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

std::string bundleVariable() { return AppIdentity::current().environmentVariable("BUNDLE_DIR"); }

std::optional<std::string> fromEnvironment() {
  const char* value = std::getenv(bundleVariable().c_str());
  if (value == nullptr || value[0] == '\0') return std::nullopt;
  return std::string(value);
}

bool staysInsideFolder(std::string_view relative) {
  if (relative.empty() || relative.front() == '/') {
    return false;
  }
  for (const auto& part : fs::path(relative)) {
    if (part == "..") {
      return false;
    }
  }
  return true;
}

}  // namespace

Bundle& Bundle::mainBundle() {
  static Bundle* bundle = new Bundle();
  return *bundle;
}

std::string Bundle::resourcePath() const {
  if (resourcePath_) return *resourcePath_;
  if (auto chosen = fromEnvironment()) return *chosen;
  return ExecutablePath::shareFolder(AppIdentity::current().fileName).value_or("");
}

void Bundle::setResourcePath(std::optional<std::string> path) { resourcePath_ = std::move(path); }

std::string Bundle::searchedPlaces() const {
  if (resourcePath_) return *resourcePath_;
  const std::string variable = bundleVariable();
  if (auto chosen = fromEnvironment()) return variable + " (" + *chosen + ")";
  std::string places = variable + " (not set)";
  const std::string executable = ExecutablePath::path();
  if (executable.empty()) return places + ", and the program's own path is unknown";
  fs::path folder = fs::path(executable).parent_path();
  for (int level = 0; level < ExecutablePath::kShareSearchDepth && folder != folder.parent_path(); ++level) {
    folder = folder.parent_path();
    places += ", " + (folder / "share" / AppIdentity::current().fileName).string();
  }
  return places;
}

std::optional<std::string> Bundle::pathForResourceOfType(std::string_view name, std::string_view type) const {
  std::string fileName(name);
  if (!type.empty()) {
    fileName += '.';
    fileName += type;
  }
  if (!staysInsideFolder(fileName)) return std::nullopt;
  const std::string folder = resourcePath();
  const std::string path = folder + "/" + fileName;
  if (folder.empty() || !FileManager::fileExistsAtPath(path) || FileManager::directoryExistsAtPath(path)) {
    reportMissing(fileName, folder);
    return std::nullopt;
  }
  return path;
}

void Bundle::reportMissing(const std::string& fileName, const std::string& folder) const {
  {
    std::lock_guard lock(reportedMutex_);
    if (!reported_.insert(fileName).second) return;
  }
  if (folder.empty()) {
    log("Missing resource \"" + fileName + "\": no bundle folder; looked in " + searchedPlaces());
  } else {
    log("Missing resource \"" + fileName + "\": not in " + folder);
  }
}

}  // namespace platform
