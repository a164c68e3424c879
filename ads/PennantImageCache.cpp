#include "ads/PennantImageCache.h"

#include <cmath>

#include "platform/foundation/AppPaths.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/FileManager.h"

namespace pennant {

using platform::FileManager;

const std::string& PennantImageCache::imageCacheDirectory() {
  static const std::string directory = [] {
    std::string path = platform::AppPaths::documentsDirectory() + "/pennant/image_cache";
    FileManager::createDirectoryAtPath(path);  // failure shows as images never cached
    return path;
  }();
  return directory;
}

PennantImageCache& PennantImageCache::sharedCache() {
  static PennantImageCache* instance = [] {
    imageCacheDirectory();
    return new PennantImageCache();
  }();
  return *instance;
}

bool PennantImageCache::isSafeImageName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::optional<std::string> PennantImageCache::pathForName(std::string_view name) {
  if (!isSafeImageName(name)) return std::nullopt;
  return imageCacheDirectory() + "/" + std::string(name);
}

void PennantImageCache::storeImageWithName(const platform::graphics::Image& image, std::string_view name) {
  auto path = pathForName(name);
  if (!path) return;
  auto png = image.pngData();
  if (png.empty()) return;
  // A cache: an image lost in a power cut is simply fetched again.
  FileManager::writeContentsAtomically(*path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()),
                                       FileManager::Durability::Cache);
}

bool PennantImageCache::imageIsInCache(std::string_view name) const {
  auto path = pathForName(name);
  if (!path) return false;
  auto modified = FileManager::modificationDateOfItemAtPath(*path);
  if (!modified) return false;
  double age = -modified->timeIntervalSinceNow();
  // A NaN age compares false: not in the cache.
  return age <= kMaximumAge;
}

std::shared_ptr<platform::graphics::Image> PennantImageCache::fetchImageNamed(std::string_view name) const {
  auto path = pathForName(name);
  if (!path) return nullptr;
  return platform::graphics::Image::imageWithContentsOfFile(*path);
}

}  // namespace pennant
