#include "platform/foundation/Bundle.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/FileManager.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

std::string automaticResourcePath() {
  if (const char* fromEnvironment = std::getenv(AppIdentity::current().environmentVariable("BUNDLE_DIR").c_str());
      fromEnvironment != nullptr && fromEnvironment[0] != '\0') {
    return fromEnvironment;
  }
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error) {
    return {};
  }
  return Bundle::resourcePathNearExecutable(executable.string());
}

}  // namespace

std::string Bundle::resourcePathNearExecutable(const std::string& executablePath) {
  fs::path folder = fs::path(executablePath).parent_path();
  for (int level = 0; level < 4 && !folder.empty(); ++level) {
    const fs::path candidate = folder / "assets";
    if (FileManager::directoryExistsAtPath(candidate.string())) {
      return candidate.string();
    }
    if (folder == folder.parent_path()) {
      break;
    }
    folder = folder.parent_path();
  }
  return {};
}

namespace {

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
  if (resourcePath_) {
    return *resourcePath_;
  }
  return automaticResourcePath();
}

void Bundle::setResourcePath(std::optional<std::string> path) { resourcePath_ = std::move(path); }

std::optional<std::string> Bundle::pathForResourceOfType(std::string_view name,
                                                         std::string_view type) const {
  std::string fileName(name);
  if (!type.empty()) {
    fileName += '.';
    fileName += type;
  }
  const std::string folder = resourcePath();
  if (folder.empty() || !staysInsideFolder(fileName)) {
    return std::nullopt;
  }
  const std::string path = folder + "/" + fileName;
  if (!FileManager::fileExistsAtPath(path) || FileManager::directoryExistsAtPath(path)) {
    return std::nullopt;
  }
  return path;
}

}  // namespace platform
