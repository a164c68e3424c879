#include "ads/PennantImageCache.h"

#include <algorithm>

#include "ads/PennantImageRoles.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/BackgroundFileWriter.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageHeader.h"

namespace pennant {

using platform::FileManager;
using platform::graphics::Image;

namespace {

double secondsSince1970(const timespec& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
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

bool PennantImageCache::keepsAsItCame(const Image& image, std::span<const std::uint8_t> encoded) {
  const std::size_t rawBytes = static_cast<std::size_t>(image.pixelWidth()) * image.pixelHeight() * 4;
  return platform::graphics::ImageHeader::sniff(encoded) == platform::graphics::ImageFormat::png &&
         encoded.size() <= rawBytes + kMaximumPngOverheadBytes;
}

void PennantImageCache::storeImageWithName(const std::shared_ptr<Image>& image, std::string_view name,
                                           std::span<const std::uint8_t> encoded) {
  if (!image) return;
  if (keepsAsItCame(*image, encoded)) {
    writeImageFile(image, name, encoded);
  } else {
    storeImageWithName(image, name);
  }
}

void PennantImageCache::storeImageWithNameInBackground(const std::shared_ptr<Image>& image, std::string_view name,
                                                       std::span<const std::uint8_t> encoded) {
  if (!image) return;
  auto path = pathForName(name);
  if (!path) return;
  std::string bytes;
  if (keepsAsItCame(*image, encoded)) {
    bytes.assign(reinterpret_cast<const char*>(encoded.data()), encoded.size());
  } else {
    const auto png = image->pngData();
    bytes.assign(png.begin(), png.end());
  }
  if (bytes.empty()) return;
  folder_.prepareToWrite();
  std::string key(name);
  const std::uint64_t write = ++writesAsked_;
  latestWrite_.insert_or_assign(key, write);
  // The cache is never destroyed, so the completion may refer to it.
  platform::BackgroundFileWriter::writeContentsAtomically(
      std::move(*path), std::move(bytes), FileManager::Durability::Cache,
      [this, key = std::move(key), image, write](bool written) {
        const auto latest = latestWrite_.find(key);
        const bool isLatest = latest != latestWrite_.end() && latest->second == write;
        if (isLatest) latestWrite_.erase(latest);
        if (written) didWriteImageFile(key, isLatest ? image : nullptr);
      });
}

void PennantImageCache::writeImageFile(const std::shared_ptr<Image>& image, std::string_view name,
                                       std::span<const std::uint8_t> png) {
  auto path = pathForName(name);
  if (!path || png.empty()) return;
  folder_.prepareToWrite();
  // A cache: an image lost in a power cut is simply fetched again.
  if (!FileManager::writeContentsAtomically(
          *path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()),
          FileManager::Durability::Cache)) {
    return;
  }
  didWriteImageFile(std::string(name), image);
}

void PennantImageCache::didWriteImageFile(const std::string& name, const std::shared_ptr<Image>& image) {
  std::optional<Stamp> written;
  for (const auto& removed : folder_.didWriteKeepingWithinBound(name, written)) decoded_.erase(removed);
  // The image in hand is the decoded copy of the new file.
  if (written && image) remember(name, image, *written);
}

bool PennantImageCache::imageIsInCache(std::string_view name) const {
  if (!isSafeImageName(name)) return false;
  const std::string key(name);
  const auto stamp = folder_.stampOf(key);
  if (!stamp) return false;
  const double age = -platform::Date::dateWithTimeIntervalSince1970(secondsSince1970(stamp->modified)).timeIntervalSinceNow();
  // A NaN age compares false: not in the cache.
  return age <= kMaximumAge && imageWithStamp(key, *stamp) != nullptr;
}

std::shared_ptr<Image> PennantImageCache::fetchImageNamed(std::string_view name) const {
  if (!isSafeImageName(name)) return nullptr;
  const std::string key(name);
  const auto stamp = folder_.stampOf(key);
  return stamp ? imageWithStamp(key, *stamp) : nullptr;
}

std::shared_ptr<Image> PennantImageCache::imageWithStamp(const std::string& name, const Stamp& stamp) const {
  if (auto found = decoded_.find(name); found != decoded_.end()) {
    if (found->second.stamp == stamp) {
      found->second.lastUse = ++uses_;
      return found->second.image;
    }
    decoded_.erase(found);
  }
  auto image = Image::imageWithContentsOfFile(imageCacheDirectory() + "/" + name, PennantImageRoles::kCachedIcon);
  if (image) remember(name, image, stamp);
  return image;
}

void PennantImageCache::remember(const std::string& name, const std::shared_ptr<Image>& image,
                                 const Stamp& stamp) const {
  decoded_.insert_or_assign(name, Decoded{image, stamp, ++uses_});
  while (decoded_.size() > kMaximumDecodedImages) {
    auto oldest = std::min_element(decoded_.begin(), decoded_.end(), [](const auto& a, const auto& b) {
      return a.second.lastUse < b.second.lastUse;
    });
    decoded_.erase(oldest);
  }
}

}  // namespace pennant
