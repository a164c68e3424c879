#include "platform/addressbook/VdirFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/addressbook/RandomIdentifier.h"
#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/FileManager.h"

namespace platform::addressbook {

namespace {

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kEntrySuffix = ".vcf";
constexpr std::size_t kTemporaryRandomBytes = 6;
constexpr int kTemporaryNameAttempts = 8;
constexpr mode_t kEntryMode = 0600;  // contacts are the user's private data

bool endsWithIgnoringCase(const std::string& name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                    [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b; });
}

std::string describeErrno(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool writeAll(int descriptor, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Hidden, and named after the app so that it is not taken for another
// program's temporary file.
std::string temporaryPrefix() { return "." + AppIdentity::current().fileName + "-ab-"; }

// The process id in a temporary name, or 0.
pid_t processOfTemporary(const std::string& name) {
  std::size_t at = temporaryPrefix().size();
  pid_t pid = 0;
  while (at < name.size() && std::isdigit(static_cast<unsigned char>(name[at])) && pid < 1'000'000'000) {
    pid = pid * 10 + (name[at++] - '0');
  }
  return pid;
}

bool processIsGone(pid_t pid) {
  if (pid == ::getpid()) return true;  // a save of ours never runs while a book opens
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace

bool VdirFolder::isTemporaryName(const std::string& name) {
  const std::string prefix = temporaryPrefix();
  if (name.size() <= prefix.size() + kTemporarySuffix.size()) return false;
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  if (name.compare(name.size() - kTemporarySuffix.size(), kTemporarySuffix.size(), kTemporarySuffix) != 0) return false;
  const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
  const std::size_t dash = middle.find('-');
  if (dash == 0 || dash == std::string::npos || dash + 1 == middle.size()) return false;
  const auto digits = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  const auto hexDigits = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  const auto split = middle.begin() + static_cast<std::ptrdiff_t>(dash);
  return std::all_of(middle.begin(), split, digits) && std::all_of(split + 1, middle.end(), hexDigits);
}

std::string VdirFolder::temporaryName() const {
  return temporaryPrefix() + std::to_string(::getpid()) + "-" + RandomIdentifier::hex(kTemporaryRandomBytes) +
         std::string(kTemporarySuffix);
}

std::vector<VdirFolder::Listing> VdirFolder::listEntries() const {
  std::vector<Listing> entries;
  DIR* directory = ::opendir(path_.c_str());
  if (!directory) return entries;
  const int descriptor = ::dirfd(directory);
  std::vector<std::string> stale;
  while (const dirent* item = ::readdir(directory)) {
    std::string name = item->d_name;
    if (isTemporaryName(name)) {
      if (processIsGone(processOfTemporary(name))) stale.push_back(std::move(name));
      continue;
    }
    if (!endsWithIgnoringCase(name, kEntrySuffix)) continue;
    struct stat info{};
    if (::fstatat(descriptor, name.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
    entries.push_back({std::move(name), FileIdentity::of(info)});
  }
  for (const auto& name : stale) ::unlinkat(descriptor, name.c_str(), 0);
  ::closedir(directory);
  std::sort(entries.begin(), entries.end(), [](const Listing& a, const Listing& b) { return a.name < b.name; });
  return entries;
}

std::optional<VdirFolder::Contents> VdirFolder::readEntry(const std::string& name, std::size_t limit) const {
  const int descriptor = ::open(pathOf(name).c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  struct stat info{};
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::size_t>(info.st_size) > kMaxEntryBytes) {
    ::close(descriptor);
    return std::nullopt;
  }
  Contents contents;
  contents.identity = FileIdentity::of(info);
  const std::size_t wanted = std::min(limit, static_cast<std::size_t>(info.st_size));
  contents.bytes.resize(wanted);
  std::size_t filled = 0;
  while (filled < wanted) {
    const ssize_t count = ::read(descriptor, contents.bytes.data() + filled, wanted - filled);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    filled += static_cast<std::size_t>(count);
  }
  ::close(descriptor);
  contents.bytes.resize(filled);
  contents.complete = filled == static_cast<std::size_t>(info.st_size);
  return contents;
}

std::optional<FileIdentity> VdirFolder::identityOf(const std::string& name) const {
  struct stat info{};
  if (::stat(pathOf(name).c_str(), &info) != 0) return std::nullopt;
  return FileIdentity::of(info);
}

std::optional<FileIdentity> VdirFolder::writeEntry(const std::string& name, const std::string& bytes,
                                                   std::string& error) const {
  if (!FileManager::createDirectoryAtPath(path_)) {
    error = describeErrno("cannot create the folder", path_);
    return std::nullopt;
  }
  std::string temporary;
  int descriptor = -1;
  for (int attempt = 0; attempt < kTemporaryNameAttempts && descriptor < 0; ++attempt) {
    temporary = pathOf(temporaryName());
    descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kEntryMode);
    if (descriptor < 0 && errno != EEXIST) break;
  }
  if (descriptor < 0) {
    error = describeErrno("cannot create a temporary file in", path_);
    return std::nullopt;
  }
  const bool written = writeAll(descriptor, bytes) && ::fsync(descriptor) == 0;
  if (::close(descriptor) != 0 || !written) {
    error = describeErrno("cannot write", temporary);
    ::unlink(temporary.c_str());
    return std::nullopt;
  }
  const std::string target = pathOf(name);
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    error = describeErrno("cannot replace", target);
    ::unlink(temporary.c_str());
    return std::nullopt;
  }
  auto identity = identityOf(name);
  if (!identity) error = describeErrno("cannot read back", target);
  return identity;
}

bool VdirFolder::removeEntry(const std::string& name, const FileIdentity& expected, std::string& error) const {
  struct stat info{};
  if (::stat(pathOf(name).c_str(), &info) != 0) {
    if (errno == ENOENT) return true;
    error = describeErrno("cannot look at", pathOf(name));
    return false;
  }
  if (!(FileIdentity::of(info) == expected)) {
    error = "another program changed " + pathOf(name) + " since it was read; it was left in place";
    return false;
  }
  if (::unlink(pathOf(name).c_str()) != 0 && errno != ENOENT) {
    error = describeErrno("cannot remove", pathOf(name));
    return false;
  }
  return true;
}

bool VdirFolder::syncFolder() const {
  const int descriptor = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const bool synced = ::fsync(descriptor) == 0;
  ::close(descriptor);
  return synced;
}

}  // namespace platform::addressbook
