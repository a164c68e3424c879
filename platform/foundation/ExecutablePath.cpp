#include "platform/foundation/ExecutablePath.h"

#include <filesystem>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

std::string ExecutablePath::path() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  return error ? std::string() : executable.string();
}

std::string ExecutablePath::fileName() { return fs::path(path()).filename().string(); }

std::optional<std::string> ExecutablePath::shareFolder(std::string_view name) {
  return shareFolderNear(path(), name);
}

std::optional<std::string> ExecutablePath::shareFolderNear(const std::string& executablePath, std::string_view name) {
  if (executablePath.empty() || name.empty()) return std::nullopt;
  fs::path folder = fs::path(executablePath).parent_path();
  for (int level = 0; level < kShareSearchDepth && folder.has_parent_path() && folder != folder.parent_path();
       ++level) {
    folder = folder.parent_path();
    const fs::path candidate = folder / "share" / name;
    std::error_code error;
    if (fs::is_directory(candidate, error)) return candidate.string();
  }
  return std::nullopt;
}

}  // namespace platform
