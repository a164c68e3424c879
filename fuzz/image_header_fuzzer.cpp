// Fuzzes the picture checks and the decoder behind them with bytes as a
// server sends them, under the limits of each role the ad library decodes
// pictures for. What must hold for any input:
// - nothing is decoded beyond its role's limit, and a picture decodes only
//   when its header was read and to exactly the size the header says;
// - a header read within a role's limit is read the same without it;
// - a PNG, JPEG or GIF cut short, or with bytes after its end, is refused
//   (a JPEG may end in zero padding);
// - a decoded picture, written as PNG by our encoder and decoded again, has
//   the same pixels;
// - a PNG that our own PNG decoder takes, the general loader decodes to the
//   very same pixels (ours refuses more: a broken compressed stream).
// ./fuzz.sh runs this target with a small allocation limit, so a decoder
// that allocates for more than a role's picture is caught too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ads/PennantImageRoles.h"
#include "fuzz/FuzzCheck.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageHeader.h"
#include "platform/graphics/PixbufDecoder.h"
#include "platform/graphics/PngDecoder.h"

namespace {

using platform::graphics::Image;
using platform::graphics::ImageFormat;
using platform::graphics::ImageHeader;
using Bytes = std::span<const std::uint8_t>;

constexpr Image::Limit kRoles[] = {pennant::PennantImageRoles::kBannerPicture, pennant::PennantImageRoles::kActionIcon,
                                   pennant::PennantImageRoles::kBrowserIcon};

// Whether a JPEG's last bytes, zero padding aside, are its end marker.
bool endsInJpegEnd(Bytes bytes) {
  std::size_t end = bytes.size();
  while (end > 0 && bytes[end - 1] == 0x00) --end;
  return end >= 2 && bytes[end - 2] == 0xFF && bytes[end - 1] == 0xD9;
}

void checkCutAndExtended(Bytes bytes, const ImageHeader& header) {
  const std::size_t cuts[] = {1, 2, bytes.size() / 2, bytes.size() - 8};
  for (const std::size_t cut : cuts) {
    if (cut == 0 || cut >= bytes.size()) continue;
    const Bytes prefix = bytes.first(bytes.size() - cut);
    if (header.format == ImageFormat::jpeg && endsInJpegEnd(prefix)) continue;
    fuzz::check(!ImageHeader::read(prefix), "a picture cut short is refused");
  }
  std::vector<std::uint8_t> extended(bytes.begin(), bytes.end());
  extended.push_back(0x01);
  fuzz::check(!ImageHeader::read(extended), "a picture with bytes after its end is refused");
}

void checkRole(Bytes bytes, Image::Limit limit) {
  const auto header = ImageHeader::read(bytes, limit.width, limit.height);
  const auto image = Image::imageWithData(bytes, limit);
  if (header) {
    fuzz::check(header->width <= limit.width && header->height <= limit.height, "a header within the limit fits it");
    fuzz::check(ImageHeader::read(bytes) == header, "a header read within a limit reads the same without it");
  }
  if (header && header->format == ImageFormat::png) {
    const auto ours = platform::graphics::PngDecoder::decode(bytes, *header);
    fuzz::check(ours.has_value() == (image != nullptr), "a PNG decodes as our PNG decoder decodes it");
    if (ours) {
      const auto general = platform::graphics::PixbufDecoder::decode(bytes, *header);
      fuzz::check(general && *general == *ours, "a PNG we decode, the general loader decodes alike");
    }
  }
  if (!image) return;
  fuzz::check(header.has_value(), "nothing decodes without a header");
  fuzz::check(static_cast<std::uint32_t>(image->pixelWidth()) == header->width &&
                  static_cast<std::uint32_t>(image->pixelHeight()) == header->height,
              "a picture decodes to the size its header says");

  const std::vector<std::uint8_t> png = image->pngData();
  const auto again = Image::imageWithData(png, limit);
  fuzz::check(again != nullptr, "our own PNG of a picture decodes within the same limit");
  const std::size_t length = static_cast<std::size_t>(image->stride()) * image->pixelHeight();
  fuzz::check(again->pixelWidth() == image->pixelWidth() && again->pixelHeight() == image->pixelHeight() &&
                  std::equal(image->argb32Data(), image->argb32Data() + length, again->argb32Data()),
              "a picture written as PNG and decoded again has the same pixels");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Bytes bytes(data, size);
  const auto header = ImageHeader::read(bytes);
  if (header) {
    fuzz::check(ImageHeader::sniff(bytes) == header->format, "a header's format is the one its magic says");
    checkCutAndExtended(bytes, *header);
  }
  for (const auto& limit : kRoles) checkRole(bytes, limit);
  return 0;
}
