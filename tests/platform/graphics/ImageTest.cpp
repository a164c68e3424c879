#include "platform/graphics/Image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "TestImages.h"
#include "platform/graphics/ImageHeader.h"

namespace platform::graphics {
namespace {

using testimages::Bytes;
using testimages::Rgba;

const std::array<std::array<std::uint8_t, 3>, 4> kPalette = {
    {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}};

// A picture with opaque, half-transparent and fully transparent pixels whose
// colours matter, so any loss in storage shows.
Rgba gradient(int x, int y) {
  return Rgba{static_cast<std::uint8_t>(x * 40), static_cast<std::uint8_t>(y * 50),
              static_cast<std::uint8_t>(200 - x * 10), static_cast<std::uint8_t>(x == 0 ? 0 : 255 - y * 60)};
}

Rgba pixelOf(const Image& image, int x, int y) {
  const auto pixels = image.rgbaPixels();
  const auto p = std::span(pixels).subspan(static_cast<std::size_t>(y * image.pixelWidth() + x) * 4, 4);
  return Rgba{p[0], p[1], p[2], p[3]};
}

bool samePixels(const Image& a, const Image& b) {
  const auto first = a.rgbaPixels();
  const auto second = b.rgbaPixels();
  return first == second;
}

TEST(ImageDecode, PngIsPremultipliedForDrawingAndGivesItsVisiblePixelsBack) {
  auto image = Image::imageWithData(testimages::encode("png", 5, 4, gradient));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), (Size{5, 4}));
  EXPECT_EQ(image->stride(), 20);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 5; ++x) {
      const Rgba expected = gradient(x, y);
      // Opaque pixels come back exactly, translucent ones to the rounding of
      // their premultiplied form, transparent ones as transparent black.
      const Rgba straight = pixelOf(*image, x, y);
      EXPECT_EQ(straight[3], expected[3]) << x << "," << y;
      for (int c = 0; c < 3; ++c) {
        const int tolerance = expected[3] == 255 ? 0 : (expected[3] == 0 ? 255 : 255 / expected[3] + 1);
        EXPECT_NEAR(straight[c], expected[3] == 0 ? 0 : expected[c], tolerance) << x << "," << y << " " << c;
      }
      const std::uint32_t a = expected[3];
      const auto pre = [a](std::uint32_t c) { return (c * a + 127) / 255; };
      const std::uint32_t word = (a << 24) | (pre(expected[0]) << 16) | (pre(expected[1]) << 8) | pre(expected[2]);
      EXPECT_EQ(image->argb32PixelAt(x, y), word) << x << "," << y;
    }
  }
  // The raw rows are the same words, in native byte order, as Cairo reads them.
  std::uint32_t first = 0;
  std::memcpy(&first, image->argb32Data() + 4 * 5 + 4, 4);
  EXPECT_EQ(first, image->argb32PixelAt(1, 1));
}

TEST(ImageDecode, JpegDecodesOpaqueAtItsSize) {
  auto image = Image::imageWithData(testimages::encode("jpeg", 16, 8, testimages::checker, false));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), (Size{16, 8}));
  // Lossy, but the blue and red squares stay recognisable and opaque.
  const Rgba blue = pixelOf(*image, 1, 1);
  const Rgba red = pixelOf(*image, 5, 1);
  EXPECT_GT(blue[2], 180);
  EXPECT_LT(blue[0], 60);
  EXPECT_GT(red[0], 200);
  EXPECT_EQ(blue[3], 255);
  EXPECT_EQ(red[3], 255);
}

TEST(ImageDecode, GifYieldsTheFirstFrameInPaletteColours) {
  const std::vector<std::uint8_t> indices = {0, 1, 2, 3, 3, 2};
  auto image = Image::imageWithData(testimages::makeGif(3, 2, kPalette, indices));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), (Size{3, 2}));
  for (int i = 0; i < 6; ++i) {
    const auto& colour = kPalette[indices[i]];
    EXPECT_EQ(pixelOf(*image, i % 3, i / 3), (Rgba{colour[0], colour[1], colour[2], 255})) << i;
  }
}

TEST(ImageDecode, AcceptsBytesAsAString) {
  const Bytes png = testimages::encode("png", 2, 2, testimages::checker);
  auto image = Image::imageWithData(std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->size(), (Size{2, 2}));
}

TEST(ImageReject, TruncatedPicturesOfEveryFormat) {
  const std::vector<Bytes> complete = {testimages::encode("png", 6, 6, gradient),
                                       testimages::encode("jpeg", 6, 6, testimages::checker, false),
                                       testimages::makeGif(2, 2, kPalette, {0, 1, 2, 3})};
  for (const Bytes& bytes : complete) {
    ASSERT_TRUE(Image::imageWithData(bytes));
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, bytes.size() / 2, bytes.size() - 2, bytes.size() - 1}) {
      EXPECT_FALSE(Image::imageWithData(std::span(bytes).first(cut))) << "cut at " << cut;
    }
  }
}

TEST(ImageReject, GarbageAndWrongMagic) {
  std::mt19937 random(7);
  Bytes garbage(4096);
  for (auto& b : garbage) {
    b = static_cast<std::uint8_t>(random());
  }
  EXPECT_FALSE(Image::imageWithData(garbage));
  EXPECT_FALSE(Image::imageWithData(Bytes{}));
  EXPECT_FALSE(Image::imageWithData(std::string_view("<html>not found</html>")));

  // Pictures the imaging library could decode, were it allowed to guess.
  EXPECT_FALSE(Image::imageWithData(testimages::encode("bmp", 4, 4, testimages::checker, false)));
  EXPECT_FALSE(Image::imageWithData(testimages::encode("tiff", 4, 4, testimages::checker)));

  Bytes png = testimages::encode("png", 4, 4, testimages::checker);
  png[1] = 'Q';
  EXPECT_FALSE(Image::imageWithData(png));
}

TEST(ImageReject, DecoderErrorsInsideAWellFramedFile) {
  // Flip one byte of the compressed pixel data: the chunk chain is intact, the
  // checksum is not, and the decoder's failure must surface as nullptr.
  Bytes png = testimages::encode("png", 8, 8, gradient);
  std::size_t at = 8;
  while (std::memcmp(&png[at + 4], "IDAT", 4) != 0) {
    at += 12 + (std::size_t{png[at]} << 24 | std::size_t{png[at + 1]} << 16 | std::size_t{png[at + 2]} << 8 | png[at + 3]);
  }
  png[at + 10] ^= 0x55;
  ASSERT_TRUE(ImageHeader::read(png));
  EXPECT_FALSE(Image::imageWithData(png));

  // A GIF whose picture data is not LZW at all.
  Bytes gif = testimages::makeGif(2, 2, kPalette, {0, 1, 2, 3});
  Bytes broken(gif.begin(), gif.begin() + 6 + 7 + 12 + 10);
  // An impossible minimum code size, then one sub-block of data.
  broken.insert(broken.end(), {0x0D, 0x01, 0xFF, 0x00, 0x3B});
  ASSERT_TRUE(ImageHeader::read(broken));
  EXPECT_FALSE(Image::imageWithData(broken));
}

TEST(ImageReject, HugeDeclaredSizesNeverReachTheDecoder) {
  const Bytes png = testimages::encode("png", 4, 4, testimages::checker);
  EXPECT_FALSE(Image::imageWithData(testimages::withPngSize(png, 100000, 100000)));
  EXPECT_FALSE(Image::imageWithData(testimages::withPngSize(png, 0x7FFFFFFF, 0x7FFFFFFF)));
  // At the limit a genuine picture decodes; one pixel beyond it does not.
  auto grey = [](int, int) { return Rgba{128, 128, 128, 255}; };
  EXPECT_TRUE(Image::imageWithData(testimages::encode("png", ImageHeader::kMaxDimension, 1, grey)));
  EXPECT_FALSE(Image::imageWithData(testimages::encode("png", ImageHeader::kMaxDimension + 1, 1, grey)));
}

TEST(ImageLimit, APictureLargerThanItsPlaceIsRefusedFromItsHeader) {
  auto grey = [](int, int) { return Rgba{128, 128, 128, 255}; };
  const Image::Limit banner{320, 48};
  EXPECT_TRUE(Image::imageWithData(testimages::encode("png", 320, 48, grey), banner));
  EXPECT_FALSE(Image::imageWithData(testimages::encode("png", 321, 48, grey), banner));
  EXPECT_FALSE(Image::imageWithData(testimages::encode("jpeg", 320, 49, grey, false), banner));
  // A small file of a huge picture: refused at once, nothing decoded.
  const Bytes huge = testimages::encode("png", 4096, 4096, grey);
  ASSERT_LT(huge.size(), 200000u);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(Image::imageWithData(huge, banner));
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 0.01);
  // A GIF's frames count too: one wider than the limit, or very many.
  const Image::Limit icon{8, 8};
  EXPECT_TRUE(Image::imageWithData(testimages::makeGif(8, 8, kPalette, {0}, 2), icon));
  EXPECT_FALSE(Image::imageWithData(testimages::makeGif(9, 8, kPalette, {0}), icon));
  EXPECT_FALSE(Image::imageWithData(testimages::makeGif(8, 8, kPalette, {0}, 1000), icon));

  // Files are limited the same way.
  const std::string path = std::filesystem::temp_directory_path() / ("image-limit-" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(huge.data()),
                                              static_cast<std::streamsize>(huge.size()));
  EXPECT_FALSE(Image::imageWithContentsOfFile(path, banner));
  std::filesystem::remove(path);
}

TEST(ImageReject, HostileMutationsNeverCrash) {
  const std::vector<Bytes> seeds = {testimages::encode("png", 9, 7, gradient),
                                    testimages::encode("jpeg", 9, 7, testimages::checker, false),
                                    testimages::makeGif(3, 3, kPalette, {0, 1, 2, 3, 0, 1, 2, 3, 0})};
  std::mt19937 random(42);
  int decoded = 0;
  for (const Bytes& seed : seeds) {
    for (int round = 0; round < 300; ++round) {
      Bytes bytes = seed;
      for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
        bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
      }
      if (auto image = Image::imageWithData(bytes)) {
        // Whatever survives must be self-consistent with its declared size.
        const auto header = ImageHeader::read(bytes);
        ASSERT_TRUE(header);
        EXPECT_EQ(image->pixelWidth(), static_cast<int>(header->width));
        EXPECT_EQ(image->rgbaPixels().size(), header->width * header->height * 4);
        ++decoded;
      }
    }
  }
  // Mutations in pixel data still decode, so the loop did exercise decoders.
  EXPECT_GT(decoded, 0);
}

TEST(ImagePng, RoundTripKeepsEveryPixelExactly) {
  auto image = Image::imageWithData(testimages::encode("png", 5, 4, gradient));
  ASSERT_TRUE(image);
  const Bytes png = image->pngData();
  ASSERT_EQ(ImageHeader::sniff(png), ImageFormat::png);
  auto again = Image::imageWithData(png);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->size(), image->size());
  EXPECT_TRUE(samePixels(*image, *again));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(again->argb32PixelAt(x, y), image->argb32PixelAt(x, y));
}

TEST(ImagePng, JpegAndGifAreReencodedAsPng) {
  for (const Bytes& source : {testimages::encode("jpeg", 12, 6, testimages::checker, false),
                              testimages::makeGif(2, 2, kPalette, {3, 2, 1, 0})}) {
    auto image = Image::imageWithData(source);
    ASSERT_TRUE(image);
    const Bytes png = image->pngData();
    EXPECT_EQ(ImageHeader::read(png), (ImageHeader{ImageFormat::png, static_cast<std::uint32_t>(image->pixelWidth()),
                                                   static_cast<std::uint32_t>(image->pixelHeight())}));
    auto again = Image::imageWithData(png);
    ASSERT_TRUE(again);
    EXPECT_TRUE(samePixels(*image, *again));
  }
}

class ImageFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("image-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, const Bytes& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  std::filesystem::path dir_;
};

TEST_F(ImageFile, ReadsAPictureWhateverItsName) {
  auto image = Image::imageWithContentsOfFile(write("icon", testimages::encode("png", 3, 3, gradient)));
  ASSERT_TRUE(image);
  EXPECT_EQ(pixelOf(*image, 2, 1), gradient(2, 1));
}

TEST_F(ImageFile, MissingUnreadableOrOddFilesGiveNothing) {
  EXPECT_FALSE(Image::imageWithContentsOfFile((dir_ / "absent").string()));
  EXPECT_FALSE(Image::imageWithContentsOfFile(dir_.string()));
  EXPECT_FALSE(Image::imageWithContentsOfFile("/dev/zero"));
  EXPECT_FALSE(Image::imageWithContentsOfFile(write("text", Bytes{'h', 'i'})));
  const std::string truncated = write("cut", testimages::encode("png", 3, 3, gradient));
  std::filesystem::resize_file(truncated, 40);
  EXPECT_FALSE(Image::imageWithContentsOfFile(truncated));
}

TEST_F(ImageFile, OversizedFilesAreNotRead) {
  // A JPEG may carry zero padding after its end marker, so the same file is
  // a valid picture below the limit and refused only for its size above it.
  const std::string path = write("padded", testimages::encode("jpeg", 3, 3, testimages::checker, false));
  std::filesystem::resize_file(path, Image::kMaxFileBytes);
  EXPECT_TRUE(Image::imageWithContentsOfFile(path));
  std::filesystem::resize_file(path, Image::kMaxFileBytes + 1);
  EXPECT_FALSE(Image::imageWithContentsOfFile(path));
}

}  // namespace
}  // namespace platform::graphics
