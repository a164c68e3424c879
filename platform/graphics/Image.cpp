#include "platform/graphics/Image.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/graphics/ImageHeader.h"
#include "platform/graphics/PixbufDecoder.h"
#include "platform/graphics/PngDecoder.h"
#include "platform/graphics/Premultiplied.h"

namespace platform::graphics {

namespace {

// Only ImageHeader's own bound.
constexpr Image::Limit kAnySize{ImageHeader::kMaxDimension, ImageHeader::kMaxDimension};

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};

}  // namespace

Image::Image(Passkey, int width, int height, std::vector<std::uint32_t> argb32)
    : width_(width), height_(height), argb32_(std::move(argb32)) {}

std::shared_ptr<Image> Image::imageWithData(std::span<const std::uint8_t> bytes) {
  return decode(bytes, kAnySize);
}

std::shared_ptr<Image> Image::imageWithData(std::span<const std::uint8_t> bytes, Limit limit) {
  return decode(bytes, limit);
}

std::shared_ptr<Image> Image::imageWithData(std::string_view bytes) {
  return decode({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, kAnySize);
}

std::shared_ptr<Image> Image::imageWithContentsOfFile(const std::string& path) {
  return imageWithContentsOfFile(path, kAnySize);
}

std::shared_ptr<Image> Image::imageWithContentsOfFile(const std::string& path, Limit limit) {
  std::error_code ec;
  // Only regular files: a device or FIFO could be read forever.
  if (!std::filesystem::is_regular_file(path, ec)) {
    return nullptr;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileBytes) {
    return nullptr;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return nullptr;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  // A file that shrank while being read is as good as truncated.
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) {
    return nullptr;
  }
  return decode(bytes, limit);
}

std::shared_ptr<Image> Image::decode(std::span<const std::uint8_t> bytes, Limit limit) {
  const std::optional<ImageHeader> header = ImageHeader::read(bytes, limit.width, limit.height);
  if (!header) {
    return nullptr;
  }
  // PNGs, which every ad brings, have a decoder of their own that needs
  // none of the general loaders' machinery.
  auto argb32 = header->format == ImageFormat::png ? PngDecoder::decode(bytes, *header)
                                                   : PixbufDecoder::decode(bytes, *header);
  if (!argb32) {
    return nullptr;
  }
  return std::make_shared<Image>(Passkey{}, static_cast<int>(header->width), static_cast<int>(header->height),
                                 std::move(*argb32));
}

std::vector<std::uint8_t> Image::rgbaPixels() const {
  std::vector<std::uint8_t> rgba(argb32_.size() * 4);
  for (std::size_t i = 0; i < argb32_.size(); ++i) {
    const std::uint32_t word = argb32_[i];
    const std::uint32_t a = word >> 24;
    std::uint8_t* out = &rgba[i * 4];
    out[0] = premultiplied::unmultiply((word >> 16) & 0xFF, a);
    out[1] = premultiplied::unmultiply((word >> 8) & 0xFF, a);
    out[2] = premultiplied::unmultiply(word & 0xFF, a);
    out[3] = static_cast<std::uint8_t>(a);
  }
  return rgba;
}

Size Image::size() const {
  return Size{static_cast<double>(width_), static_cast<double>(height_)};
}

const std::uint8_t* Image::argb32Data() const {
  return reinterpret_cast<const std::uint8_t*>(argb32_.data());
}

std::uint32_t Image::argb32PixelAt(int x, int y) const {
  return argb32_.at(static_cast<std::size_t>(y) * width_ + x);
}

std::vector<std::uint8_t> Image::pngData() const {
  // The straight pixels live only while they are encoded. The pixbuf borrows
  // them; it is released before this function returns.
  const std::vector<std::uint8_t> rgba = rgbaPixels();
  std::unique_ptr<GdkPixbuf, GObjectUnref> pixbuf(gdk_pixbuf_new_from_data(
      rgba.data(), GDK_COLORSPACE_RGB, TRUE, 8, width_, height_, width_ * 4, nullptr, nullptr));
  if (!pixbuf) {
    return {};
  }
  gchar* buffer = nullptr;
  gsize length = 0;
  GError* error = nullptr;
  // The fastest compression: these files are small icons and caches, and
  // encoding time counts on the way to every first ad.
  if (!gdk_pixbuf_save_to_buffer(pixbuf.get(), &buffer, &length, "png", &error, "compression", "1", nullptr)) {
    g_clear_error(&error);
    return {};
  }
  std::vector<std::uint8_t> png(reinterpret_cast<const std::uint8_t*>(buffer),
                                reinterpret_cast<const std::uint8_t*>(buffer) + length);
  g_free(buffer);
  return png;
}

}  // namespace platform::graphics
