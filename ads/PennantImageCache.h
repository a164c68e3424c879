#pragma once
// Downloaded images (the embedded browser's toolbar icons, the ads' action
// icons) kept as PNG files under <Documents>/pennant/image_cache, one file per
// image, named by the image's name. A file's modification time is the image's
// age; an image older than 3141592 seconds (about 36 days) counts as missing
// so that it is fetched again. A file that no longer decodes as an icon
// counts as missing too, so it is fetched again instead of being "cached"
// for ever.
//
// The folder is bounded: once its files take more than kMaximumTotalBytes,
// storing an image removes the oldest files (by modification time) until
// they fit again, so a server that names a new icon at every refresh cannot
// fill the disk. In memory, each image is decoded at most once while it is
// in use: the decoded copy of a stored or fetched file is kept (the last
// kMaximumDecodedImages of them) and handed out again as long as the file
// is unchanged.
//
// Names come from the ad server, so they are checked before they touch the
// file system: an empty name, ".", "..", a name holding "/" or a NUL byte, or
// one shaped like a temporary file ("x.AbC123", swept away at start-up) is
// never stored and never found. No server can make the cache write outside
// its folder.
//
// Images arrive as PNG from most servers. Bytes that are a PNG and that
// decoded into the image being stored are written as they came: they are
// that image's PNG already, so nothing is encoded on the way to an ad. A PNG
// much larger than its pixels (padded with metadata) is encoded anew like any
// JPEG or GIF, so every stored file stays about the size of its picture.
//
// A singleton (`sharedCache`), created on first use and never destroyed. Its
// folder is fixed then, from the app's Documents folder. Main thread only.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ads/PennantImageCacheFolder.h"
#include "platform/graphics/Image.h"

namespace pennant {

class PennantImageCache {
 public:
  static constexpr double kMaximumAge = 3141592.0;
  // Hundreds of icons: far more than the browser's four and the few action
  // icons a server uses.
  static constexpr std::uintmax_t kMaximumTotalBytes = 1024 * 1024;
  static constexpr std::size_t kMaximumDecodedImages = 32;
  // What a PNG kept as it came may hold beyond its raw pixels (chunk
  // framing, a colour profile, a few text chunks).
  static constexpr std::size_t kMaximumPngOverheadBytes = 16 * 1024;

  static PennantImageCache& sharedCache();
  static const std::string& imageCacheDirectory();
  // Whether the ad server's name may be used as a file name in the cache.
  static bool isSafeImageName(std::string_view name);

  // Encodes as PNG and writes <folder>/<name>, replacing a file of that
  // name, then removes the oldest files while the folder is over its bound;
  // failures are ignored (the image is fetched again next time).
  void storeImageWithName(const std::shared_ptr<platform::graphics::Image>& image, std::string_view name);
  // The same for an image just decoded from `encoded`: when those bytes are
  // a PNG no larger than the image's raw pixels plus kMaximumPngOverheadBytes,
  // they are written unchanged; otherwise the image is encoded as above.
  void storeImageWithName(const std::shared_ptr<platform::graphics::Image>& image, std::string_view name,
                          std::span<const std::uint8_t> encoded);
  // The same, with the file written on the process's writer thread, off
  // the path of the ad that brought the image: the image is handed out
  // from memory once its file has landed. Until then the image counts as
  // missing (a second ad asking for it in that moment fetches it again),
  // and the write counts as the run loop's work in flight, so simulated
  // time and settling wait for it.
  void storeImageWithNameInBackground(const std::shared_ptr<platform::graphics::Image>& image, std::string_view name,
                                      std::span<const std::uint8_t> encoded);
  // True when <folder>/<name> exists, is at most kMaximumAge seconds old (a
  // modification time in the future counts as fresh) and decodes as an icon.
  bool imageIsInCache(std::string_view name) const;
  // The stored image whatever its age, or null when missing, undecodable or
  // larger than an icon.
  std::shared_ptr<platform::graphics::Image> fetchImageNamed(std::string_view name) const;

  PennantImageCache(const PennantImageCache&) = delete;
  PennantImageCache& operator=(const PennantImageCache&) = delete;

 private:
  using Stamp = PennantImageCacheFolder::Stamp;
  // A decoded image and the file it was decoded from.
  struct Decoded {
    std::shared_ptr<platform::graphics::Image> image;
    Stamp stamp;
    std::uint64_t lastUse = 0;
  };

  PennantImageCache() : folder_(imageCacheDirectory(), kMaximumTotalBytes) {}
  static std::optional<std::string> pathForName(std::string_view name);
  static bool keepsAsItCame(const platform::graphics::Image& image, std::span<const std::uint8_t> encoded);
  // Takes note of a file just written and of the image it holds.
  void didWriteImageFile(const std::string& name, const std::shared_ptr<platform::graphics::Image>& image);
  void writeImageFile(const std::shared_ptr<platform::graphics::Image>& image, std::string_view name,
                      std::span<const std::uint8_t> png);
  std::shared_ptr<platform::graphics::Image> imageWithStamp(const std::string& name, const Stamp& stamp) const;
  void remember(const std::string& name, const std::shared_ptr<platform::graphics::Image>& image,
                const Stamp& stamp) const;

  PennantImageCacheFolder folder_;
  mutable std::map<std::string, Decoded, std::less<>> decoded_;
  mutable std::uint64_t uses_ = 0;
  // The last write asked for each name still on its way; an earlier write
  // of the name that lands late must not pair its image with a later file.
  std::map<std::string, std::uint64_t, std::less<>> latestWrite_;
  std::uint64_t writesAsked_ = 0;
};

}  // namespace pennant
