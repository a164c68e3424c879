// The PNG decoder against the general loader it stands in for: every layout
// a PNG can have must give the very same pixels, and a damaged file is
// refused or read as the general loader reads it.
#include "platform/graphics/PngDecoder.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <random>
#include <string>

#include "TestImages.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PixbufDecoder.h"

namespace platform::graphics {
namespace {

using testimages::Bytes;

struct Layout {
  int colorType;
  int bitDepth;
  bool interlaced = false;
  bool transparentColour = false;  // a tRNS chunk
  bool extraChunks = false;        // gAMA, sBIT and a compressed text
};

std::string describe(const Layout& layout) {
  return "colour type " + std::to_string(layout.colorType) + ", " + std::to_string(layout.bitDepth) + " bits" +
         (layout.interlaced ? ", interlaced" : "") + (layout.transparentColour ? ", tRNS" : "") +
         (layout.extraChunks ? ", gAMA/sBIT/zTXt" : "");
}

// A 13 x `height` PNG of random samples in `layout`, by libpng's own
// writer.
Bytes encodePng(const Layout& layout, std::mt19937& random, int height = 7) {
  constexpr int kWidth = 13;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Bytes out;
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        auto* bytes = static_cast<Bytes*>(png_get_io_ptr(p));
        bytes->insert(bytes->end(), data, data + length);
      },
      nullptr);
  png_set_IHDR(png, info, kWidth, height, layout.bitDepth, layout.colorType,
               layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  const int levels = 1 << std::min(layout.bitDepth, 8);
  if (layout.colorType == PNG_COLOR_TYPE_PALETTE) {
    png_color palette[256];
    for (auto& entry : palette) {
      entry = {static_cast<png_byte>(random()), static_cast<png_byte>(random()), static_cast<png_byte>(random())};
    }
    png_set_PLTE(png, info, palette, levels);
  }
  if (layout.transparentColour) {
    png_byte alphas[256];
    for (auto& alpha : alphas) alpha = static_cast<png_byte>(random());
    alphas[0] = 0;
    alphas[1] = 255;
    png_color_16 colour{0, 1, 2, 3, 1};
    png_set_tRNS(png, info, alphas, layout.colorType == PNG_COLOR_TYPE_PALETTE ? levels : 0, &colour);
  }
  if (layout.extraChunks) {
    png_set_gAMA(png, info, 1.0);
    png_color_8 significant{3, 3, 3, 3, 3};
    png_set_sBIT(png, info, &significant);
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_zTXt;
    text.key = const_cast<char*>("Comment");
    std::string body(4000, 'x');
    text.text = body.data();
    png_set_text(png, info, &text, 1);
  }
  png_write_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<Bytes> rows(height, Bytes(rowBytes));
  for (auto& row : rows) {
    for (auto& byte : row) byte = static_cast<std::uint8_t>(random());
    // Samples a few low values often, so a tRNS colour is met.
    for (std::size_t i = 0; i < row.size(); i += 5) row[i] = static_cast<std::uint8_t>(random() % 4);
  }
  std::vector<png_bytep> pointers;
  for (auto& row : rows) pointers.push_back(row.data());
  if (layout.colorType == PNG_COLOR_TYPE_PALETTE && layout.bitDepth == 8) {
    for (auto& row : rows)
      for (auto& index : row) index = static_cast<std::uint8_t>(index % levels);
  }
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::vector<Layout> everyLayout() {
  std::vector<Layout> layouts;
  const std::pair<int, std::vector<int>> kinds[] = {
      {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}}, {PNG_COLOR_TYPE_RGB, {8, 16}},
      {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},  {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
      {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}}};
  for (const auto& [colorType, depths] : kinds) {
    const bool canHaveTrns = (colorType & PNG_COLOR_MASK_ALPHA) == 0;
    for (int depth : depths) {
      for (bool interlaced : {false, true}) {
        for (bool trns : {false, true}) {
          if (!trns || canHaveTrns) layouts.push_back({colorType, depth, interlaced, trns, depth == 8});
        }
      }
    }
  }
  return layouts;
}

// Both decoders' pixels of `bytes`, which must at least have a header.
void expectSameAsGeneralLoader(const Bytes& bytes, const std::string& what) {
  const auto header = ImageHeader::read(bytes);
  if (!header) {
    EXPECT_EQ(Image::imageWithData(bytes), nullptr) << what;
    return;
  }
  const auto ours = PngDecoder::decode(bytes, *header);
  const auto general = PixbufDecoder::decode(bytes, *header);
  ASSERT_EQ(ours.has_value(), general.has_value()) << what << ": only one decoder took it";
  if (ours) {
    EXPECT_TRUE(*ours == *general) << what << ": the pixels differ";
  }
}

TEST(PngDecoderTest, EveryLayoutDecodesToTheGeneralLoadersPixels) {
  std::mt19937 random(7);
  for (const Layout& layout : everyLayout()) {
    const Bytes png = encodePng(layout, random);
    const auto header = ImageHeader::read(png);
    ASSERT_TRUE(header) << describe(layout);
    const auto ours = PngDecoder::decode(png, *header);
    ASSERT_TRUE(ours) << describe(layout);
    const auto general = PixbufDecoder::decode(png, *header);
    ASSERT_TRUE(general) << describe(layout);
    EXPECT_TRUE(*ours == *general) << describe(layout);
    // And Image takes this decoder's pixels.
    const auto image = Image::imageWithData(png);
    ASSERT_TRUE(image);
    EXPECT_EQ(0, std::memcmp(image->argb32Data(), ours->data(), ours->size() * 4)) << describe(layout);
  }
}

// Offsets of each chunk's type in a PNG (after the signature).
std::vector<std::size_t> chunkTypeOffsets(const Bytes& png) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = 8; at + 12 <= png.size();) {
    const std::uint32_t length = (std::uint32_t{png[at]} << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
    offsets.push_back(at + 4);
    at += 12 + length;
  }
  return offsets;
}

bool isChunk(const Bytes& png, std::size_t typeAt, const char* type) {
  return std::memcmp(&png[typeAt], type, 4) == 0;
}

void fixCrc(Bytes& png, std::size_t typeAt) {
  const std::uint32_t length = (std::uint32_t{png[typeAt - 4]} << 24) | (png[typeAt - 3] << 16) |
                               (png[typeAt - 2] << 8) | png[typeAt - 1];
  testimages::putBigEndian32(png, typeAt + 4 + length, testimages::crc32(&png[typeAt], 4 + length));
}

TEST(PngDecoderTest, DamagedFilesAreRefusedOrReadAsTheGeneralLoaderReadsThem) {
  std::mt19937 random(11);
  const Layout layouts[] = {{PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, true}, {PNG_COLOR_TYPE_PALETTE, 4, true, true, false}};
  for (const Layout& layout : layouts) {
    const Bytes png = encodePng(layout, random);
    for (std::size_t typeAt : chunkTypeOffsets(png)) {
      const std::string chunk(reinterpret_cast<const char*>(&png[typeAt]), 4);
      // A wrong checksum: fatal in a critical chunk, dropped in another.
      Bytes badCrc = png;
      badCrc[badCrc.size() > typeAt + 12 ? typeAt + 8 : typeAt] ^= 0x01;
      expectSameAsGeneralLoader(badCrc, describe(layout) + ", bad checksum in " + chunk);
      if (isChunk(png, typeAt, "IDAT")) {
        // A compressed stream that does not decode, its checksum right: the
        // general loader shows whatever came out (every pixel wrong, here);
        // this decoder refuses it, as a picture cut short is refused.
        for (std::size_t at : {typeAt + 6, typeAt + 20}) {
          Bytes broken = png;
          broken[at] ^= 0x5A;
          fixCrc(broken, typeAt);
          EXPECT_FALSE(PngDecoder::decode(broken, *ImageHeader::read(broken)))
              << describe(layout) << ", broken stream at " << at;
        }
      }
    }
  }
}

// The PNG `png` with the compressed rows of `rows` instead of its own.
Bytes withRowsOf(const Bytes& png, const Bytes& rows) {
  auto idatOf = [](const Bytes& file) {
    for (std::size_t typeAt : chunkTypeOffsets(file)) {
      if (isChunk(file, typeAt, "IDAT")) return typeAt - 4;
    }
    return std::size_t{0};
  };
  const std::size_t at = idatOf(png), from = idatOf(rows);
  Bytes spliced(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(at));
  spliced.insert(spliced.end(), rows.begin() + static_cast<std::ptrdiff_t>(from), rows.end());
  return spliced;
}

TEST(PngDecoderTest, RefusesAPictureWhoseRowsEndEarly) {
  // A whole compressed stream of fewer rows than the header says: the
  // reader reaches the file's end all the same.
  for (bool interlaced : {false, true}) {
    std::mt19937 random(5);
    const Bytes full = encodePng({PNG_COLOR_TYPE_RGB_ALPHA, 8, interlaced}, random);
    const Bytes fewer = encodePng({PNG_COLOR_TYPE_RGB_ALPHA, 8, interlaced}, random, 4);
    const Bytes spliced = withRowsOf(full, fewer);
    const auto header = ImageHeader::read(spliced);
    ASSERT_TRUE(header) << interlaced;
    EXPECT_FALSE(PngDecoder::decode(spliced, *header)) << (interlaced ? "interlaced" : "not interlaced");
  }
}

TEST(PngDecoderTest, RefusesAPictureOtherThanItsHeaderSays) {
  std::mt19937 random(3);
  const Bytes png = encodePng({PNG_COLOR_TYPE_RGB, 8}, random);
  auto header = *ImageHeader::read(png);
  header.width += 1;
  EXPECT_FALSE(PngDecoder::decode(png, header));
  header = *ImageHeader::read(png);
  header.format = ImageFormat::gif;
  EXPECT_FALSE(PngDecoder::decode(png, header));
  EXPECT_FALSE(PngDecoder::decode(std::span(png).first(png.size() - 20), *ImageHeader::read(png)));
}

}  // namespace
}  // namespace platform::graphics
