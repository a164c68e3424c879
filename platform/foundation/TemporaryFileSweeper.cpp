#include "platform/foundation/TemporaryFileSweeper.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "platform/foundation/FileManager.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// A machine clock set back may leave files "from the future"; nothing
// writes that far ahead, so those count as old.
constexpr double kFutureTolerance = 60.0;

bool isStale(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  struct stat info{};
  bool stale = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
  if (stale) {
    // The change time, which the kernel keeps on the machine's clock: the
    // modification time follows the app's clock, which may run apart.
    const double changed = static_cast<double>(info.st_ctim.tv_sec) + static_cast<double>(info.st_ctim.tv_nsec) * 1e-9;
    const double now =
        std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const double age = now - changed;
    stale = age >= TemporaryFileSweeper::kStaleAfterSeconds || age < -kFutureTolerance;
  }
  // A writer holds the lock while it writes; getting it means nobody does.
  stale = stale && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
  ::close(descriptor);
  return stale;
}

}  // namespace

std::size_t TemporaryFileSweeper::removeStaleTemporaryFilesUnder(const std::string& folder) {
  std::size_t removed = 0;
  std::error_code error;
  fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, error);
  for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
    std::error_code entryError;
    if (!walk->is_regular_file(entryError) || walk->is_symlink(entryError)) continue;
    const std::string path = walk->path().string();
    if (!FileManager::isTemporaryFileName(walk->path().filename().string()) || !isStale(path)) continue;
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace platform
