#pragma once
// An immutable decoded picture, shared by std::shared_ptr. Made only by the
// factories, which return nullptr for anything that is not a complete PNG,
// JPEG or GIF within the size limits of ImageHeader: bytes from the network
// are untrusted, and a bad picture must fail an ad, never the process.
//
// Every picture from outside has a place where it is shown, and that place
// limits it: callers pass their role's Limit (the ad library's roles are in
// ads/PennantImageRoles.h; a contact picture or a toolbar image passes its
// own), and a picture whose header claims more is refused before a single
// pixel is decoded. Without a Limit only ImageHeader's own bound applies,
// for the app's own pictures.
//
// The pixels are kept once, as premultiplied native-endian ARGB32 rows, the
// layout of a Cairo image surface (CAIRO_FORMAT_ARGB32), so drawing code
// wraps them without a copy. Straight RGBA (rgbaPixels, pngData) is worked
// out from them when asked for: every visible pixel comes back exactly, and
// fully transparent ones as transparent black. A surface made over
// argb32Data() must not outlive the Image; keep the shared_ptr next to the
// surface.
//
// A GIF yields its first frame. Points equal pixels: the scale is always 1.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/Size.h"

namespace platform::graphics {

class Image {
  struct Passkey {};

 public:
  // Files larger than this are not read at all.
  static constexpr std::uintmax_t kMaxFileBytes = 64u * 1024 * 1024;

  // The most pixels each way a picture may have for its role.
  struct Limit {
    std::uint32_t width;
    std::uint32_t height;
  };

  // The decoded picture, or nullptr when the bytes are not a complete PNG,
  // JPEG or GIF, are larger than the limit, or fail to decode.
  static std::shared_ptr<Image> imageWithData(std::span<const std::uint8_t> bytes);
  static std::shared_ptr<Image> imageWithData(std::span<const std::uint8_t> bytes, Limit limit);
  static std::shared_ptr<Image> imageWithData(std::string_view bytes);
  // The picture in a regular file, or nullptr as above, and also when the file
  // is missing, unreadable, not a regular file or larger than kMaxFileBytes.
  static std::shared_ptr<Image> imageWithContentsOfFile(const std::string& path);
  static std::shared_ptr<Image> imageWithContentsOfFile(const std::string& path, Limit limit);

  // Width and height in points.
  Size size() const;
  int pixelWidth() const { return width_; }
  int pixelHeight() const { return height_; }

  // Premultiplied ARGB32 in Cairo's layout: one native-endian 32-bit word per
  // pixel (alpha in the top byte), rows of stride() bytes, top row first.
  const std::uint8_t* argb32Data() const;
  int stride() const { return width_ * 4; }
  // The same pixel as a word, for inspection; x and y must be in range.
  std::uint32_t argb32PixelAt(int x, int y) const;

  // Straight RGBA bytes (red, green, blue, alpha), width * 4 per row, worked
  // out anew at each call.
  std::vector<std::uint8_t> rgbaPixels() const;

  // The picture encoded as PNG; empty when encoding fails.
  std::vector<std::uint8_t> pngData() const;

  // Public for std::make_shared only; use the factories.
  Image(Passkey, int width, int height, std::vector<std::uint32_t> argb32);

  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

 private:
  static std::shared_ptr<Image> decode(std::span<const std::uint8_t> bytes, Limit limit);

  int width_;
  int height_;
  std::vector<std::uint32_t> argb32_;
};

}  // namespace platform::graphics
