#pragma once
// What a buffer of encoded image bytes claims to be, read before any decoder
// sees it. Image uses this to choose a decoder by the magic bytes (so that no
// other format handler of the imaging library is ever reached), to refuse
// pictures too large to allocate, and to refuse truncated files: the PNG and
// JPEG decoders happily return a partly grey picture for a file cut short.
//
// The checks walk the container structure only (PNG chunks, JPEG segments up
// to the first frame header, GIF blocks); they neither decompress nor verify
// checksums, which stays the decoder's job.

#include <cstdint>
#include <optional>
#include <span>

namespace platform::graphics {

enum class ImageFormat { png, jpeg, gif };

struct ImageHeader {
  // Pictures wider or taller than this are refused; 4096 x 4096 RGBA is
  // 64 MiB, far beyond any banner or icon this system shows.
  static constexpr std::uint32_t kMaxDimension = 4096;
  // An animated GIF decodes every frame; their pixels together may not exceed
  // one picture of the largest size, nor kMaxFullFrames frames of the size a
  // caller allows.
  static constexpr std::uint64_t kMaxTotalPixels =
      std::uint64_t{kMaxDimension} * kMaxDimension;
  static constexpr std::uint64_t kMaxFullFrames = 64;

  ImageFormat format = ImageFormat::png;
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  // The format by its magic bytes alone, or nullopt for anything else.
  static std::optional<ImageFormat> sniff(std::span<const std::uint8_t> bytes);

  // The format and pixel size of a complete, well-framed PNG, JPEG or GIF
  // within the size limits; nullopt for anything else.
  static std::optional<ImageHeader> read(std::span<const std::uint8_t> bytes);
  // The same, within a caller's smaller limits (what a picture's place can
  // show): wider than maxWidth or taller than maxHeight is refused, and so
  // is any frame of a GIF.
  static std::optional<ImageHeader> read(std::span<const std::uint8_t> bytes, std::uint32_t maxWidth,
                                         std::uint32_t maxHeight);

  bool operator==(const ImageHeader&) const = default;
};

}  // namespace platform::graphics
