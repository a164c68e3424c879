#pragma once
// Decodes a PNG, JPEG or GIF (its first frame) with the imaging library's
// general loaders into premultiplied ARGB32 pixels (see Premultiplied.h).
// Image uses it for JPEG and GIF; PNGs have a faster decoder of their own
// (PngDecoder) that must give the very same pixels as this one.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/graphics/ImageHeader.h"

namespace platform::graphics {

class PixbufDecoder {
 public:
  // The pixels of `bytes`, which `header` was read from, row after row; or
  // nullopt when they do not decode to exactly the header's size.
  static std::optional<std::vector<std::uint32_t>> decode(std::span<const std::uint8_t> bytes,
                                                          const ImageHeader& header);
};

}  // namespace platform::graphics
