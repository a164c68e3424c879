#include "platform/graphics/ImageHeader.h"

#include <gtest/gtest.h>

#include "TestImages.h"

namespace platform::graphics {
namespace {

using testimages::Bytes;

const std::array<std::array<std::uint8_t, 3>, 4> kPalette = {{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}}};

Bytes jpeg(int width, int height) {
  return testimages::encode("jpeg", width, height, testimages::checker, false);
}

TEST(ImageHeaderSniff, RecognisesTheThreeFormatsByMagicOnly) {
  EXPECT_EQ(ImageHeader::sniff(testimages::encode("png", 2, 2, testimages::checker)), ImageFormat::png);
  EXPECT_EQ(ImageHeader::sniff(jpeg(2, 2)), ImageFormat::jpeg);
  EXPECT_EQ(ImageHeader::sniff(Bytes{'G', 'I', 'F', '8', '7', 'a'}), ImageFormat::gif);
  EXPECT_EQ(ImageHeader::sniff(Bytes{'G', 'I', 'F', '8', '9', 'a'}), ImageFormat::gif);
  EXPECT_EQ(ImageHeader::sniff(Bytes{'G', 'I', 'F', '8', '8', 'a'}), std::nullopt);
  EXPECT_EQ(ImageHeader::sniff(Bytes{0xFF, 0xD8}), std::nullopt);
  EXPECT_EQ(ImageHeader::sniff(Bytes{}), std::nullopt);
  EXPECT_EQ(ImageHeader::sniff(testimages::encode("bmp", 2, 2, testimages::checker, false)), std::nullopt);
}

TEST(ImageHeaderRead, ReportsTheSizeOfCompletePictures) {
  EXPECT_EQ(ImageHeader::read(testimages::encode("png", 7, 3, testimages::checker)),
            (ImageHeader{ImageFormat::png, 7, 3}));
  EXPECT_EQ(ImageHeader::read(jpeg(9, 5)), (ImageHeader{ImageFormat::jpeg, 9, 5}));
  EXPECT_EQ(ImageHeader::read(testimages::makeGif(3, 2, kPalette, {0, 1, 2, 3, 0, 1})),
            (ImageHeader{ImageFormat::gif, 3, 2}));
}

TEST(ImageHeaderRead, RejectsEveryTruncation) {
  const std::vector<Bytes> complete = {testimages::encode("png", 5, 5, testimages::checker), jpeg(5, 5),
                                       testimages::makeGif(2, 2, kPalette, {0, 1, 2, 3})};
  for (const Bytes& bytes : complete) {
    ASSERT_TRUE(ImageHeader::read(bytes));
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
      EXPECT_FALSE(ImageHeader::read(std::span(bytes).first(cut))) << "cut at " << cut << " of " << bytes.size();
    }
  }
}

TEST(ImageHeaderRead, PngNeedsIendAsTheLastChunk) {
  Bytes png = testimages::encode("png", 4, 4, testimages::checker);
  Bytes trailing = png;
  trailing.push_back(0);
  EXPECT_FALSE(ImageHeader::read(trailing));
  // IHDR must come first.
  Bytes misordered = png;
  misordered[12] = 'X';
  EXPECT_FALSE(ImageHeader::read(misordered));
  // A chunk length pointing past the end is a truncation, not a skip.
  Bytes overlong = png;
  testimages::putBigEndian32(overlong, 33, 0x7FFFFFFF);
  EXPECT_FALSE(ImageHeader::read(overlong));
}

TEST(ImageHeaderRead, JpegNeedsEoiButToleratesZeroPadding) {
  Bytes bytes = jpeg(4, 4);
  Bytes padded = bytes;
  padded.insert(padded.end(), 16, 0x00);
  EXPECT_EQ(ImageHeader::read(padded), (ImageHeader{ImageFormat::jpeg, 4, 4}));
  Bytes junk = bytes;
  junk.push_back(0x01);
  EXPECT_FALSE(ImageHeader::read(junk));
  // SOI immediately followed by EOI has no frame header.
  EXPECT_FALSE(ImageHeader::read(Bytes{0xFF, 0xD8, 0xFF, 0xD9}));
  // Scan data before any frame header.
  EXPECT_FALSE(ImageHeader::read(Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9}));
}

TEST(ImageHeaderRead, JpegOnlyInTheCodingsTheWebShows) {
  // The same frame marked extended (SOF1) and progressive (SOF2) is read;
  // arithmetic-coded (SOF9: a broken one spun the decoder for good),
  // lossless (SOF3) and hierarchical (SOF5) frames are refused.
  const Bytes baseline = jpeg(4, 4);
  std::size_t sof = 0;
  for (std::size_t i = 2; i + 1 < baseline.size(); ++i) {
    if (baseline[i] == 0xFF && baseline[i + 1] == 0xC0) {
      sof = i + 1;
      break;
    }
  }
  ASSERT_NE(sof, 0u);
  for (std::uint8_t marker : {0xC1, 0xC2, 0xC3, 0xC5, 0xC9, 0xCA}) {
    Bytes coded = baseline;
    coded[sof] = marker;
    EXPECT_EQ(ImageHeader::read(coded).has_value(), marker <= 0xC2) << std::hex << int{marker};
  }
}

TEST(ImageHeaderRead, GifNeedsATrailerAndAFrame) {
  Bytes gif = testimages::makeGif(2, 2, kPalette, {0, 1, 2, 3});
  Bytes trailing = gif;
  trailing.push_back(0x3B);
  EXPECT_FALSE(ImageHeader::read(trailing));
  Bytes noFrames = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0, 0, 0, 0x3B};
  EXPECT_FALSE(ImageHeader::read(noFrames));
  Bytes unknownBlock = gif;
  unknownBlock.insert(unknownBlock.end() - 1, 0x42);
  EXPECT_FALSE(ImageHeader::read(unknownBlock));
}

TEST(ImageHeaderLimits, RefusesHugeDeclaredSizes) {
  const Bytes png = testimages::encode("png", 4, 4, testimages::checker);
  EXPECT_FALSE(ImageHeader::read(testimages::withPngSize(png, 100000, 100000)));
  EXPECT_FALSE(ImageHeader::read(testimages::withPngSize(png, ImageHeader::kMaxDimension + 1, 1)));
  EXPECT_FALSE(ImageHeader::read(testimages::withPngSize(png, 1, ImageHeader::kMaxDimension + 1)));
  EXPECT_FALSE(ImageHeader::read(testimages::withPngSize(png, 0, 4)));
  EXPECT_TRUE(ImageHeader::read(testimages::withPngSize(png, ImageHeader::kMaxDimension, 1)));

  Bytes big = jpeg(4, 4);
  // The frame header's height and width follow the marker, length and precision.
  for (std::size_t i = 2; i + 9 < big.size(); ++i) {
    if (big[i] == 0xFF && big[i + 1] == 0xC0) {
      big[i + 5] = 0xFF;
      big[i + 6] = 0xFF;
      break;
    }
  }
  EXPECT_FALSE(ImageHeader::read(big));
}

TEST(ImageHeaderLimits, CountsEveryGifFrame) {
  // Four frames of 2048 x 2048 are exactly the budget; a fifth exceeds it.
  const int side = 2048;
  auto frames = [&](int count) {
    Bytes gif = testimages::makeGif(side, side, kPalette, {0}, count);
    return gif;
  };
  EXPECT_TRUE(ImageHeader::read(frames(4)));
  EXPECT_FALSE(ImageHeader::read(frames(5)));
}

}  // namespace
}  // namespace platform::graphics
