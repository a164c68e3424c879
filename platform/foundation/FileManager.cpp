#include "platform/foundation/FileManager.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

// mkostemp replaces the six X with letters and digits.
constexpr const char* kTemporarySuffixTemplate = ".XXXXXX";

bool writeAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// The modification time `date` as the kernel takes it, the access time left
// alone; false for dates no file can carry.
bool modificationTimes(const Date& date, timespec (&times)[2]) {
  const double seconds = date.timeIntervalSince1970();
  if (!std::isfinite(seconds) || std::fabs(seconds) > 1e15) {
    return false;
  }
  const double whole = std::floor(seconds);
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(whole);
  times[1].tv_nsec = static_cast<long>(std::lround((seconds - whole) * 1e9));
  if (times[1].tv_nsec >= 1000000000L) {
    times[1].tv_sec += 1;
    times[1].tv_nsec -= 1000000000L;
  }
  return true;
}

// On the system clock the kernel's own stamp is already the app's time.
bool stampWithAppTime(int descriptor) {
  if (Date::isSystemTime()) {
    return true;
  }
  timespec times[2];
  return modificationTimes(Date::now(), times) && ::futimens(descriptor, times) == 0;
}

}  // namespace

bool FileManager::fileExistsAtPath(const std::string& path) {
  struct stat info{};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool FileManager::directoryExistsAtPath(const std::string& path) {
  struct stat info{};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileManager::createDirectoryAtPath(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::error_code error;
  fs::create_directories(path, error);
  return directoryExistsAtPath(path);
}

std::optional<Date> FileManager::modificationDateOfItemAtPath(const std::string& path) {
  struct stat info{};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) {
    return std::nullopt;
  }
  return Date::dateWithTimeIntervalSince1970(static_cast<double>(info.st_mtim.tv_sec) +
                                             static_cast<double>(info.st_mtim.tv_nsec) * 1e-9);
}

bool FileManager::setModificationDateOfItemAtPath(const std::string& path, const Date& date) {
  timespec times[2];
  return !path.empty() && modificationTimes(date, times) && ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::optional<std::string> FileManager::contentsAtPath(const std::string& path) {
  return contentsAtPath(path, std::numeric_limits<std::size_t>::max());
}

std::optional<std::string> FileManager::contentsAtPath(const std::string& path, std::size_t maximumLength) {
  const int descriptor = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    return std::nullopt;
  }
  struct stat info{};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uintmax_t>(info.st_size) > maximumLength) {
    ::close(descriptor);
    return std::nullopt;
  }
  std::string contents;
  char buffer[65536];
  for (;;) {
    const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      ::close(descriptor);
      return std::nullopt;
    }
    if (count == 0) {
      break;
    }
    // The file may grow while it is read.
    if (static_cast<std::size_t>(count) > maximumLength - contents.size()) {
      ::close(descriptor);
      return std::nullopt;
    }
    contents.append(buffer, static_cast<std::size_t>(count));
  }
  ::close(descriptor);
  return contents;
}

bool FileManager::writeContentsAtomically(const std::string& path, std::string_view bytes, Durability durability) {
  const bool durable = durability == Durability::Durable;
  if (path.empty() || path.back() == '/') {
    return false;
  }
  std::string temporary = path + kTemporarySuffixTemplate;
  const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  // A shared lock says the file is being written, not left behind. A second
  // descriptor keeps it held from the close, whose result counts, until the
  // rename.
  (void)::flock(descriptor, LOCK_SH | LOCK_NB);
  // mkostemp makes the file 0600; give it the permissions a plain create
  // would have given.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(descriptor, 0666 & ~mask) == 0;
  ok = ok && writeAll(descriptor, bytes) && stampWithAppTime(descriptor) && (!durable || ::fsync(descriptor) == 0);
  const int holder = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
  if (holder >= 0) {
    (void)::flock(holder, LOCK_SH | LOCK_NB);
  }
  ok = (::close(descriptor) == 0) && ok;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (holder >= 0) {
    ::close(holder);
  }
  if (ok) {
    if (!durable) return true;
    // Make the rename itself durable.
    const fs::path folder = fs::path(path).parent_path();
    const int directory = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
      ::fsync(directory);
      ::close(directory);
    }
    return true;
  }
  ::unlink(temporary.c_str());
  return false;
}

bool FileManager::isTemporaryFileName(std::string_view name) {
  constexpr std::size_t suffix = std::string_view(kTemporarySuffixTemplate).size();
  if (name.size() <= suffix || name[name.size() - suffix] != '.') {
    return false;
  }
  return std::all_of(name.end() - static_cast<std::ptrdiff_t>(suffix) + 1, name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

bool FileManager::removeItemAtPath(const std::string& path) {
  if (path.empty()) {
    return false;
  }
  std::error_code error;
  const auto removed = fs::remove_all(path, error);
  return !error && removed > 0;
}

}  // namespace platform
