#include "platform/graphics/Image.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/graphics/ImageHeader.h"

namespace platform::graphics {

namespace {

const char* loaderType(ImageFormat format) {
  switch (format) {
    case ImageFormat::png:
      return "png";
    case ImageFormat::jpeg:
      return "jpeg";
    case ImageFormat::gif:
      return "gif";
  }
  return "";
}

// Cairo's rounding for premultiplication: exact c * a / 255, rounded.
std::uint32_t multiply(std::uint32_t c, std::uint32_t a) {
  const std::uint32_t t = c * a + 0x80;
  return ((t >> 8) + t) >> 8;
}

// The inverse, rounded to the nearest value: multiplying the result again
// gives back exactly the premultiplied value.
std::uint8_t unmultiply(std::uint32_t c, std::uint32_t a) {
  if (a == 0) return 0;
  return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
}

// Only ImageHeader's own bound.
constexpr Image::Limit kAnySize{ImageHeader::kMaxDimension, ImageHeader::kMaxDimension};

struct SizeCheck {
  const ImageHeader* header;
  bool refused = false;
};

// The decoder reports the size it is about to allocate. The container walk has
// already vetted it, but a decoder may read a different header than ours (a
// second frame header, say): asking for a 0 x 0 result makes it fail before it
// allocates anything, and the flag discards whatever it produced.
void onSizePrepared(GdkPixbufLoader* loader, gint width, gint height, gpointer data) {
  auto* check = static_cast<SizeCheck*>(data);
  if (width <= 0 || height <= 0 || static_cast<std::uint32_t>(width) != check->header->width ||
      static_cast<std::uint32_t>(height) != check->header->height) {
    check->refused = true;
    gdk_pixbuf_loader_set_size(loader, 0, 0);
  }
}

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
  GError* error = nullptr;
  std::unique_ptr<GdkPixbufLoader, GObjectUnref> loader(
      gdk_pixbuf_loader_new_with_type(loaderType(header->format), &error));
  if (!loader) {
    g_clear_error(&error);
    return nullptr;
  }
  SizeCheck check{&*header};
  g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(onSizePrepared), &check);
  bool ok = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
  g_clear_error(&error);
  // Closing is required even after a failed write; its own error matters only
  // when the data went in.
  ok = gdk_pixbuf_loader_close(loader.get(), &error) && ok;
  g_clear_error(&error);
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!ok || check.refused || pixbuf == nullptr) {
    return nullptr;
  }
  const int width = gdk_pixbuf_get_width(pixbuf);
  const int height = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
  if (static_cast<std::uint32_t>(width) != header->width ||
      static_cast<std::uint32_t>(height) != header->height ||
      gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB ||
      gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels != (alpha ? 4 : 3)) {
    return nullptr;
  }
  const int rowstride = gdk_pixbuf_get_rowstride(pixbuf);
  const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);
  std::vector<std::uint32_t> argb32(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const guint8* in = pixels + static_cast<std::ptrdiff_t>(y) * rowstride;
    std::uint32_t* out = &argb32[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x, in += channels, ++out) {
      const std::uint32_t a = alpha ? in[3] : 0xFF;
      // Most pixels of an icon are opaque or fully transparent; those need
      // no arithmetic.
      if (a == 0xFF) {
        *out = 0xFF000000u | (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
      } else if (a == 0) {
        *out = 0;
      } else {
        *out = (a << 24) | (multiply(in[0], a) << 16) | (multiply(in[1], a) << 8) | multiply(in[2], a);
      }
    }
  }
  return std::make_shared<Image>(Passkey{}, width, height, std::move(argb32));
}

std::vector<std::uint8_t> Image::rgbaPixels() const {
  std::vector<std::uint8_t> rgba(argb32_.size() * 4);
  for (std::size_t i = 0; i < argb32_.size(); ++i) {
    const std::uint32_t word = argb32_[i];
    const std::uint32_t a = word >> 24;
    std::uint8_t* out = &rgba[i * 4];
    out[0] = unmultiply((word >> 16) & 0xFF, a);
    out[1] = unmultiply((word >> 8) & 0xFF, a);
    out[2] = unmultiply(word & 0xFF, a);
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
