#include "platform/graphics/PngDecoder.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstring>

#include "platform/graphics/Premultiplied.h"

namespace platform::graphics {

namespace {

struct MemorySource {
  std::span<const std::uint8_t> bytes;
  std::size_t offset = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (length > source->bytes.size() - source->offset) png_error(png, "read past the end");
  std::memcpy(out, source->bytes.data() + source->offset, length);
  source->offset += length;
}

// Every libpng error ends the decode; warnings (a bad checksum in an
// ancillary chunk, which is then dropped) do not.
[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

// Chunks that do not change a pixel as decoded here: skipped unread, so a
// compressed text or profile chunk is never inflated.
constexpr png_byte kSkippedChunks[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0tIME\0pHYs\0hIST\0bKGD\0"
                                      "sCAL\0pCAL\0oFFs\0cHRM\0sRGB\0gAMA\0sBIT";
constexpr int kSkippedChunkCount = 17;

// Asks libpng for 8-bit straight colour with alpha, laid out in memory as a
// premultiplied word is (little-endian: blue, green, red, alpha).
void requestArgb32Layout(png_structp png, png_infop info) {
  const png_byte colorType = png_get_color_type(png, info);
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_expand(png);  // palette to colour, grey under 8 bits to 8, tRNS to alpha
  if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  if constexpr (std::endian::native == std::endian::little) {
    png_set_bgr(png);
    if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  } else {
    if (alpha) png_set_swap_alpha(png);
    else png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

// Reads the whole PNG into `rows`. On any libpng error control comes back
// through setjmp, so nothing in this frame may need destroying after it.
bool readRows(png_structp png, png_infop info, MemorySource& source, const ImageHeader& header, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &source, readFromMemory);
  png_set_user_limits(png, header.width, header.height);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
  png_read_info(png, info);
  if (png_get_image_width(png, info) != header.width || png_get_image_height(png, info) != header.height) return false;
  requestArgb32Layout(png, info);
  if (png_get_rowbytes(png, info) != std::size_t{header.width} * 4) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<std::vector<std::uint32_t>> PngDecoder::decode(std::span<const std::uint8_t> bytes,
                                                             const ImageHeader& header) {
  if (header.format != ImageFormat::png || header.width == 0 || header.height == 0) return std::nullopt;
  std::vector<std::uint32_t> pixels(std::size_t{header.width} * header.height);
  std::vector<png_bytep> rows(header.height);
  for (std::uint32_t y = 0; y < header.height; ++y)
    rows[y] = reinterpret_cast<png_bytep>(&pixels[std::size_t{y} * header.width]);

  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
  if (!png) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  MemorySource source{bytes};
  const bool ok = info != nullptr && readRows(png, info, source, header, rows.data());
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (!ok) return std::nullopt;
  for (auto& pixel : pixels) pixel = premultiplied::premultiply(pixel);
  return pixels;
}

}  // namespace platform::graphics
