#pragma once
// Decodes a PNG with libpng, in one pass, straight into premultiplied ARGB32
// pixels (see Premultiplied.h). Every icon and picture of an ad is decoded
// on the way to the ad's first appearance; the general loaders cost several
// times the decompression itself for pictures that small.
//
// The pixels are those the general loader (PixbufDecoder) gives: palettes,
// grey and transparency expanded, 16-bit samples truncated to 8, no gamma or
// colour profile applied. Ancillary text, profile and similar chunks are
// skipped unread, so a compressed text chunk costs nothing. It refuses more
// than the general loader: a compressed stream that fails its checksum,
// which the general loader shows as whatever came out of it.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/graphics/ImageHeader.h"

namespace platform::graphics {

class PngDecoder {
 public:
  // The pixels of the PNG `bytes`, which `header` was read from, row after
  // row; or nullopt when they do not decode to exactly the header's size
  // (a bad checksum in a critical chunk, a broken compressed stream, too
  // few rows).
  static std::optional<std::vector<std::uint32_t>> decode(std::span<const std::uint8_t> bytes,
                                                          const ImageHeader& header);
};

}  // namespace platform::graphics
