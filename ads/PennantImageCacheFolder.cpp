#include "ads/PennantImageCacheFolder.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pennant {

namespace {

bool sameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool earlier(const timespec& a, const timespec& b) {
  return a.tv_sec != b.tv_sec ? a.tv_sec < b.tv_sec : a.tv_nsec < b.tv_nsec;
}

}  // namespace

bool PennantImageCacheFolder::Stamp::operator==(const Stamp& other) const {
  return size == other.size && sameTime(modified, other.modified);
}

bool PennantImageCacheFolder::FolderState::operator==(const FolderState& other) const {
  return device == other.device && inode == other.inode && sameTime(modified, other.modified) &&
         sameTime(changed, other.changed);
}

std::optional<PennantImageCacheFolder::Stamp> PennantImageCacheFolder::stampOf(const std::string& name) const {
  struct stat info {};
  if (::stat((path_ + "/" + name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return Stamp{info.st_mtim, static_cast<std::uintmax_t>(info.st_size)};
}

std::optional<PennantImageCacheFolder::FolderState> PennantImageCacheFolder::folderState() const {
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return std::nullopt;
  return FolderState{info.st_dev, info.st_ino, info.st_mtim, info.st_ctim};
}

void PennantImageCacheFolder::prepareToWrite() {
  const auto now = folderState();
  const bool unchanged = folderState_ && now && *now == *folderState_;
  if (unchanged && ++writesSinceListing_ <= kWritesBetweenListings) return;
  // Noted before listing: a change made while we list shows next time.
  folderState_ = now;
  list();
}

void PennantImageCacheFolder::list() {
  files_.clear();
  totalBytes_ = 0;
  writesSinceListing_ = 0;
  DIR* directory = ::opendir(path_.c_str());
  if (!directory) return;
  const int descriptor = ::dirfd(directory);
  while (const dirent* item = ::readdir(directory)) {
    const std::string name = item->d_name;
    struct stat info {};
    if (name == "." || name == ".." || ::fstatat(descriptor, name.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode)) {
      continue;
    }
    const Stamp stamp{info.st_mtim, static_cast<std::uintmax_t>(info.st_size)};
    files_.emplace(name, stamp);
    totalBytes_ += stamp.size;
  }
  ::closedir(directory);
}

std::vector<std::string> PennantImageCacheFolder::didWriteKeepingWithinBound(const std::string& name,
                                                                             std::optional<Stamp>& written) {
  if (auto old = files_.find(name); old != files_.end()) {
    totalBytes_ -= old->second.size;
    files_.erase(old);
  }
  written = stampOf(name);
  if (written) {
    files_.emplace(name, *written);
    totalBytes_ += written->size;
  }
  std::vector<std::string> removed;
  if (totalBytes_ > maximumBytes_) removeOldestKeeping(name, removed);
  folderState_ = folderState();
  return removed;
}

void PennantImageCacheFolder::removeOldestKeeping(const std::string& name, std::vector<std::string>& removed) {
  std::vector<std::pair<timespec, std::string>> byAge;
  byAge.reserve(files_.size());
  for (const auto& [file, stamp] : files_) {
    if (file != name) byAge.emplace_back(stamp.modified, file);
  }
  std::sort(byAge.begin(), byAge.end(), [](const auto& a, const auto& b) { return earlier(a.first, b.first); });
  for (const auto& [modified, file] : byAge) {
    if (totalBytes_ <= maximumBytes_) break;
    // A file someone else removed already counts as gone.
    if (::unlink((path_ + "/" + file).c_str()) != 0 && errno != ENOENT) continue;
    const auto entry = files_.find(file);
    totalBytes_ -= entry->second.size;
    files_.erase(entry);
    removed.push_back(file);
  }
}

}  // namespace pennant
