#include "platform/addressbook/EntryCache.h"

#include <algorithm>

namespace platform::addressbook {

EntryCache& EntryCache::shared() {
  static auto* cache = new EntryCache();
  return *cache;
}

EntryCache::Folder EntryCache::takeFolder(const std::string& path) {
  std::lock_guard lock(mutex_);
  auto found = folders_.find(path);
  if (found == folders_.end()) return {};
  Folder files = std::move(found->second);
  folders_.erase(found);
  return files;
}

void EntryCache::replaceFolder(const std::string& path, Folder files) {
  std::lock_guard lock(mutex_);
  folders_[path] = std::move(files);
}

namespace {

EntryCache::Folder::iterator positionOf(EntryCache::Folder& files, const std::string& name) {
  return std::lower_bound(files.begin(), files.end(), name,
                          [](const auto& entry, const std::string& wanted) { return entry.first < wanted; });
}

}  // namespace

void EntryCache::store(const std::string& path, const std::string& name, CachedFile file) {
  std::lock_guard lock(mutex_);
  auto& files = folders_[path];
  auto at = positionOf(files, name);
  if (at != files.end() && at->first == name) {
    at->second = std::move(file);
  } else {
    files.emplace(at, name, std::move(file));
  }
}

void EntryCache::forget(const std::string& path, const std::string& name) {
  std::lock_guard lock(mutex_);
  auto found = folders_.find(path);
  if (found == folders_.end()) return;
  auto at = positionOf(found->second, name);
  if (at != found->second.end() && at->first == name) found->second.erase(at);
}

void EntryCache::clear() {
  std::lock_guard lock(mutex_);
  folders_.clear();
}

}  // namespace platform::addressbook
