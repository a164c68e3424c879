#include "ads/PennantImageCache.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "ads/PennantImageRoles.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageHeader.h"

namespace pennant {

using platform::FileManager;
using platform::graphics::Image;

namespace {

namespace fs = std::filesystem;

struct FileStamp {
  platform::Date modified;
  std::uintmax_t size;
};

std::optional<FileStamp> stampOf(const std::string& path) {
  auto modified = FileManager::modificationDateOfItemAtPath(path);
  std::error_code error;
  const auto size = fs::file_size(path, error);
  if (!modified || error) return std::nullopt;
  return FileStamp{*modified, size};
}

}  // namespace

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
  // A name shaped like a temporary file would be swept away at start-up.
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos && !FileManager::isTemporaryFileName(name);
}

std::optional<std::string> PennantImageCache::pathForName(std::string_view name) {
  if (!isSafeImageName(name)) return std::nullopt;
  return imageCacheDirectory() + "/" + std::string(name);
}

void PennantImageCache::storeImageWithName(const std::shared_ptr<Image>& image, std::string_view name) {
  if (!image) return;
  writeImageFile(image, name, image->pngData());
}

void PennantImageCache::storeImageWithName(const std::shared_ptr<Image>& image, std::string_view name,
                                           std::span<const std::uint8_t> encoded) {
  if (!image) return;
  const std::size_t rawBytes = static_cast<std::size_t>(image->pixelWidth()) * image->pixelHeight() * 4;
  const bool keepAsItCame = platform::graphics::ImageHeader::sniff(encoded) == platform::graphics::ImageFormat::png &&
                            encoded.size() <= rawBytes + kMaximumPngOverheadBytes;
  if (keepAsItCame) {
    writeImageFile(image, name, encoded);
  } else {
    storeImageWithName(image, name);
  }
}

void PennantImageCache::writeImageFile(const std::shared_ptr<Image>& image, std::string_view name,
                                       std::span<const std::uint8_t> png) {
  auto path = pathForName(name);
  if (!path || png.empty()) return;
  // A cache: an image lost in a power cut is simply fetched again.
  if (!FileManager::writeContentsAtomically(
          *path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()),
          FileManager::Durability::Cache)) {
    return;
  }
  // The image in hand is the decoded copy of the new file.
  remember(std::string(name), image);
  evictOldestFilesKeeping(std::string(name));
}

bool PennantImageCache::imageIsInCache(std::string_view name) const {
  auto path = pathForName(name);
  if (!path) return false;
  auto modified = FileManager::modificationDateOfItemAtPath(*path);
  if (!modified) return false;
  double age = -modified->timeIntervalSinceNow();
  // A NaN age compares false: not in the cache.
  return age <= kMaximumAge && fetchImageNamed(name) != nullptr;
}

std::shared_ptr<Image> PennantImageCache::fetchImageNamed(std::string_view name) const {
  auto path = pathForName(name);
  if (!path) return nullptr;
  const auto stamp = stampOf(*path);
  if (!stamp) return nullptr;
  if (auto found = decoded_.find(name); found != decoded_.end()) {
    if (found->second.modified == stamp->modified && found->second.size == stamp->size) {
      found->second.lastUse = ++uses_;
      return found->second.image;
    }
    decoded_.erase(found);
  }
  auto image = Image::imageWithContentsOfFile(*path, PennantImageRoles::kCachedIcon);
  if (image) remember(std::string(name), image);
  return image;
}

void PennantImageCache::remember(const std::string& name, const std::shared_ptr<Image>& image) const {
  const auto stamp = stampOf(imageCacheDirectory() + "/" + name);
  if (!stamp) return;
  decoded_.insert_or_assign(name, Decoded{image, stamp->modified, stamp->size, ++uses_});
  while (decoded_.size() > kMaximumDecodedImages) {
    auto oldest = std::min_element(decoded_.begin(), decoded_.end(), [](const auto& a, const auto& b) {
      return a.second.lastUse < b.second.lastUse;
    });
    decoded_.erase(oldest);
  }
}

void PennantImageCache::evictOldestFilesKeeping(const std::string& name) {
  struct Entry {
    std::string path;
    std::string name;
    fs::file_time_type modified;
    std::uintmax_t size;
  };
  std::vector<Entry> entries;
  std::uintmax_t total = 0;
  std::error_code error;
  for (const auto& item : fs::directory_iterator(imageCacheDirectory(), error)) {
    std::error_code itemError;
    if (!item.is_regular_file(itemError)) continue;
    const auto size = item.file_size(itemError);
    const auto modified = item.last_write_time(itemError);
    if (itemError) continue;
    entries.push_back({item.path().string(), item.path().filename().string(), modified, size});
    total += size;
  }
  if (total <= kMaximumTotalBytes) return;
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.modified < b.modified; });
  for (const auto& entry : entries) {
    if (total <= kMaximumTotalBytes) break;
    if (entry.name == name) continue;
    if (fs::remove(entry.path, error)) {
      total -= entry.size;
      decoded_.erase(entry.name);
    }
  }
}

}  // namespace pennant
