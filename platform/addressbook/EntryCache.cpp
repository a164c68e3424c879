#include "platform/addressbook/EntryCache.h"

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

void EntryCache::store(const std::string& path, const std::string& name, CachedFile file) {
  std::lock_guard lock(mutex_);
  folders_[path][name] = std::move(file);
}

void EntryCache::forget(const std::string& path, const std::string& name) {
  std::lock_guard lock(mutex_);
  if (auto found = folders_.find(path); found != folders_.end()) found->second.erase(name);
}

void EntryCache::clear() {
  std::lock_guard lock(mutex_);
  folders_.clear();
}

}  // namespace platform::addressbook
