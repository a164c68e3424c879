#pragma once
// Downloaded images (the embedded browser's toolbar icons, the ads' action
// icons) kept as PNG files under <Documents>/pennant/image_cache, one file per
// image, named by the image's name. A file's modification time is the image's
// age; an image older than 3141592 seconds (about 36 days) counts as missing
// so that it is fetched again, but is never deleted.
//
// Names come from the ad server, so they are checked before they touch the
// file system: an empty name, ".", "..", or a name holding "/" or a NUL byte
// is never stored and never found. No server can make the cache write outside
// its folder.
//
// A singleton (`sharedCache`), created on first use and never destroyed. Its
// folder is fixed then, from the app's Documents folder.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/graphics/Image.h"

namespace pennant {

class PennantImageCache {
 public:
  static constexpr double kMaximumAge = 3141592.0;

  static PennantImageCache& sharedCache();
  static const std::string& imageCacheDirectory();
  // Whether the ad server's name may be used as a file name in the cache.
  static bool isSafeImageName(std::string_view name);

  // Encodes as PNG and writes <folder>/<name>, replacing a file of that
  // name; failures are ignored (the image is fetched again next time).
  void storeImageWithName(const platform::graphics::Image& image, std::string_view name);
  // True when <folder>/<name> exists and is at most kMaximumAge seconds old
  // (a modification time in the future counts as fresh).
  bool imageIsInCache(std::string_view name) const;
  // The stored image whatever its age, or null when missing or undecodable.
  std::shared_ptr<platform::graphics::Image> fetchImageNamed(std::string_view name) const;

  PennantImageCache(const PennantImageCache&) = delete;
  PennantImageCache& operator=(const PennantImageCache&) = delete;

 private:
  PennantImageCache() = default;
  static std::optional<std::string> pathForName(std::string_view name);
};

}  // namespace pennant
