#include "platform/graphics/ImageHeader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace platform::graphics {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t bigEndian32(Bytes b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | std::uint32_t{b[at + 3]};
}

std::uint32_t bigEndian16(Bytes b, std::size_t at) {
  return (std::uint32_t{b[at]} << 8) | std::uint32_t{b[at + 1]};
}

std::uint32_t littleEndian16(Bytes b, std::size_t at) {
  return std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8);
}

bool typeIs(Bytes b, std::size_t at, const char* type) {
  return std::memcmp(b.data() + at, type, 4) == 0;
}

// How large a picture the caller accepts.
struct Bounds {
  std::uint32_t maxWidth;
  std::uint32_t maxHeight;
  std::uint64_t maxTotalPixels;

  bool allow(std::uint32_t width, std::uint32_t height) const {
    return width > 0 && height > 0 && width <= maxWidth && height <= maxHeight;
  }
};

// PNG: the signature, IHDR first, then a chain of chunks whose last one is an
// empty IEND ending exactly at the end of the buffer.
std::optional<ImageHeader> readPng(Bytes b, const Bounds& bounds) {
  std::size_t at = kPngSignature.size();
  std::optional<ImageHeader> header;
  while (b.size() - at >= 12) {
    const std::uint32_t length = bigEndian32(b, at);
    if (length > b.size() - at - 12) {
      return std::nullopt;  // the chunk runs past the end: truncated
    }
    if (!header) {
      if (!typeIs(b, at + 4, "IHDR") || length != 13) {
        return std::nullopt;
      }
      header = ImageHeader{ImageFormat::png, bigEndian32(b, at + 8), bigEndian32(b, at + 12)};
      if (!bounds.allow(header->width, header->height)) {
        return std::nullopt;
      }
    } else if (typeIs(b, at + 4, "IEND")) {
      const bool last = length == 0 && at + 12 == b.size();
      return last ? header : std::nullopt;
    }
    at += std::size_t{length} + 12;
  }
  return std::nullopt;  // no IEND
}

// SOF0 to SOF2: baseline, extended sequential and progressive, Huffman
// coded.
constexpr std::uint8_t kLastHuffmanFrame = 0xC2;

bool isStartOfFrame(std::uint8_t marker) {
  // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning) share
  // the range but are not frame headers.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
         marker != 0xCC;
}

// JPEG: SOI, segments up to the first frame header (which carries the size),
// and an EOI marker at the end. Encoders and transports sometimes pad with
// zero bytes after EOI, so trailing zeros are tolerated.
std::optional<ImageHeader> readJpeg(Bytes b, const Bounds& bounds) {
  std::size_t end = b.size();
  while (end > 0 && b[end - 1] == 0x00) {
    --end;
  }
  if (end < 4 || b[end - 2] != 0xFF || b[end - 1] != 0xD9) {
    return std::nullopt;
  }
  std::size_t at = 2;
  while (at < end) {
    if (b[at] != 0xFF) {
      return std::nullopt;  // segments must follow each other without gaps
    }
    while (at < end && b[at] == 0xFF) {
      ++at;  // fill bytes before a marker
    }
    if (at >= end) {
      return std::nullopt;
    }
    const std::uint8_t marker = b[at++];
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      continue;  // markers without a length
    }
    if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00) {
      return std::nullopt;  // image data or end before any frame header
    }
    if (end - at < 2) {
      return std::nullopt;
    }
    const std::uint32_t length = bigEndian16(b, at);
    if (length < 2 || length > end - at) {
      return std::nullopt;
    }
    if (isStartOfFrame(marker)) {
      // Only the Huffman codings the web shows: baseline, extended and
      // progressive. The JPEG library's arithmetic decoder can spin for
      // good on a broken 200-byte file; lossless and hierarchical frames
      // are not decoded by browsers either.
      if (length < 8 || marker > kLastHuffmanFrame) {
        return std::nullopt;
      }
      ImageHeader header{ImageFormat::jpeg, bigEndian16(b, at + 5), bigEndian16(b, at + 3)};
      if (!bounds.allow(header.width, header.height)) {
        return std::nullopt;
      }
      return header;
    }
    at += length;
  }
  return std::nullopt;
}

// Skips a chain of GIF data sub-blocks (size byte, data) up to the empty one.
bool skipSubBlocks(Bytes b, std::size_t& at) {
  while (at < b.size()) {
    const std::size_t size = b[at++];
    if (size == 0) {
      return true;
    }
    if (size > b.size() - at) {
      return false;
    }
    at += size;
  }
  return false;
}

std::size_t colorTableSize(std::uint8_t packed) {
  return (packed & 0x80) ? 3 * (std::size_t{1} << ((packed & 0x07) + 1)) : 0;
}

// GIF: header, logical screen, optional global colour table, then extensions
// and images up to the trailer, which must be the last byte.
std::optional<ImageHeader> readGif(Bytes b, const Bounds& bounds) {
  if (b.size() < 13) {
    return std::nullopt;
  }
  ImageHeader header{ImageFormat::gif, littleEndian16(b, 6), littleEndian16(b, 8)};
  if (!bounds.allow(header.width, header.height)) {
    return std::nullopt;
  }
  std::size_t at = 13 + colorTableSize(b[10]);
  std::uint64_t framePixels = 0;
  std::size_t frames = 0;
  while (at < b.size()) {
    const std::uint8_t introducer = b[at++];
    if (introducer == 0x3B) {
      const bool complete = at == b.size() && frames > 0;
      return complete ? std::optional(header) : std::nullopt;
    }
    if (introducer == 0x21) {
      if (at >= b.size()) {
        return std::nullopt;
      }
      ++at;  // the extension's label
      if (!skipSubBlocks(b, at)) {
        return std::nullopt;
      }
    } else if (introducer == 0x2C) {
      if (b.size() - at < 10) {
        return std::nullopt;
      }
      const std::uint32_t width = littleEndian16(b, at + 4);
      const std::uint32_t height = littleEndian16(b, at + 6);
      if (!bounds.allow(width, height)) {
        return std::nullopt;
      }
      framePixels += std::uint64_t{width} * height;
      if (framePixels > bounds.maxTotalPixels) {
        return std::nullopt;
      }
      ++frames;
      at += 9 + colorTableSize(b[at + 8]);
      if (at >= b.size()) {
        return std::nullopt;
      }
      ++at;  // the LZW minimum code size
      if (!skipSubBlocks(b, at)) {
        return std::nullopt;
      }
    } else {
      return std::nullopt;
    }
  }
  return std::nullopt;  // no trailer: truncated
}

}  // namespace

std::optional<ImageFormat> ImageHeader::sniff(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= kPngSignature.size() &&
      std::equal(kPngSignature.begin(), kPngSignature.end(), bytes.begin())) {
    return ImageFormat::png;
  }
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    return ImageFormat::jpeg;
  }
  if (bytes.size() >= 6 && (std::memcmp(bytes.data(), "GIF87a", 6) == 0 ||
                            std::memcmp(bytes.data(), "GIF89a", 6) == 0)) {
    return ImageFormat::gif;
  }
  return std::nullopt;
}

std::optional<ImageHeader> ImageHeader::read(std::span<const std::uint8_t> bytes) {
  return read(bytes, kMaxDimension, kMaxDimension);
}

std::optional<ImageHeader> ImageHeader::read(std::span<const std::uint8_t> bytes, std::uint32_t maxWidth,
                                             std::uint32_t maxHeight) {
  const std::optional<ImageFormat> format = sniff(bytes);
  if (!format) {
    return std::nullopt;
  }
  maxWidth = std::min(maxWidth, kMaxDimension);
  maxHeight = std::min(maxHeight, kMaxDimension);
  const Bounds bounds{maxWidth, maxHeight,
                      std::min(kMaxTotalPixels, kMaxFullFrames * maxWidth * std::uint64_t{maxHeight})};
  switch (*format) {
    case ImageFormat::png:
      return readPng(bytes, bounds);
    case ImageFormat::jpeg:
      return readJpeg(bytes, bounds);
    case ImageFormat::gif:
      return readGif(bytes, bounds);
  }
  return std::nullopt;
}

}  // namespace platform::graphics
