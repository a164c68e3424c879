#include "platform/graphics/PngDecoder.h"

#include <png.h>

#include <bit>
#include <csetjmp>

#include "platform/graphics/Premultiplied.h"

namespace platform::graphics {

namespace {

// What the reader's callbacks share: the rows to fill and how far it got.
struct Progress {
  const ImageHeader* header;
  png_bytepp rows;
  bool ended = false;
};

// Every libpng error ends the decode, and so does what libpng calls a
// benign error (a compressed stream whose checksum fails, which otherwise
// gives whatever came out of it; a chunk out of its place). Warnings (a bad
// checksum in an ancillary chunk, which is then dropped) do not.
[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

// Chunks that do not change a pixel as decoded here: skipped unread, so a
// compressed text or profile chunk is never inflated.
constexpr png_byte kSkippedChunks[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0tIME\0pHYs\0hIST\0bKGD\0"
                                      "sCAL\0pCAL\0oFFs\0cHRM\0sRGB\0gAMA\0sBIT";
// Four letters and a NUL each.
constexpr int kSkippedChunkCount = sizeof(kSkippedChunks) / 5;

// Where the reader's pass count stands once all seven passes of an
// interlaced picture are read.
constexpr png_byte kPassesDone = 7;

// Once the header chunk is read: asks libpng for 8-bit straight colour with
// alpha, laid out in memory as a premultiplied word is (little-endian: blue,
// green, red, alpha).
void onInfo(png_structp png, png_infop info) {
  const auto* progress = static_cast<Progress*>(png_get_progressive_ptr(png));
  if (png_get_image_width(png, info) != progress->header->width ||
      png_get_image_height(png, info) != progress->header->height) {
    png_error(png, "not the size of the header");
  }
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
  if (png_get_rowbytes(png, info) != std::size_t{progress->header->width} * 4) png_error(png, "unexpected row size");
}

// A row, or for an interlaced picture one pass's part of it, merged into
// what the earlier passes left.
void onRow(png_structp png, png_bytep row, png_uint_32 number, int) {
  const auto* progress = static_cast<Progress*>(png_get_progressive_ptr(png));
  if (row == nullptr || number >= progress->header->height) return;
  png_progressive_combine_row(png, progress->rows[number], row);
}

void onEnd(png_structp png, png_infop) { static_cast<Progress*>(png_get_progressive_ptr(png))->ended = true; }

// Reads the whole PNG into the rows. The progressive reader is the one the
// general loader drives, so both take and refuse the same files. On any
// libpng error control comes back through setjmp, so nothing in this frame
// may need destroying after it.
bool readRows(png_structp png, png_infop info, std::span<const std::uint8_t> bytes, Progress& progress) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_benign_errors(png, 0);
  png_set_user_limits(png, progress.header->width, progress.header->height);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
  png_set_progressive_read_fn(png, &progress, onInfo, onRow, onEnd);
  png_process_data(png, info, const_cast<png_bytep>(bytes.data()), bytes.size());
  // The reader reaches the end of a file whose compressed stream ended
  // early, rows missing; those must have come too: past the last row, or
  // past the last pass when interlaced.
  const bool everyRow = png_get_interlace_type(png, info) == PNG_INTERLACE_NONE
                            ? png_get_current_row_number(png) >= progress.header->height
                            : png_get_current_pass_number(png) >= kPassesDone;
  return progress.ended && everyRow;
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
  Progress progress{&header, rows.data()};
  const bool ok = info != nullptr && readRows(png, info, bytes, progress);
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (!ok) return std::nullopt;
  for (auto& pixel : pixels) pixel = premultiplied::premultiply(pixel);
  return pixels;
}

}  // namespace platform::graphics
