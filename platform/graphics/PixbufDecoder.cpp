#include "platform/graphics/PixbufDecoder.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <memory>

#include "platform/graphics/Premultiplied.h"

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

std::optional<std::vector<std::uint32_t>> PixbufDecoder::decode(std::span<const std::uint8_t> bytes,
                                                                const ImageHeader& header) {
  GError* error = nullptr;
  std::unique_ptr<GdkPixbufLoader, GObjectUnref> loader(
      gdk_pixbuf_loader_new_with_type(loaderType(header.format), &error));
  if (!loader) {
    g_clear_error(&error);
    return std::nullopt;
  }
  SizeCheck check{&header};
  g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(onSizePrepared), &check);
  bool ok = gdk_pixbuf_loader_write(loader.get(), bytes.data(), bytes.size(), &error);
  g_clear_error(&error);
  // Closing is required even after a failed write; its own error matters only
  // when the data went in.
  ok = gdk_pixbuf_loader_close(loader.get(), &error) && ok;
  g_clear_error(&error);
  GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader.get());
  if (!ok || check.refused || pixbuf == nullptr) {
    return std::nullopt;
  }
  const int width = gdk_pixbuf_get_width(pixbuf);
  const int height = gdk_pixbuf_get_height(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  const bool alpha = gdk_pixbuf_get_has_alpha(pixbuf);
  if (static_cast<std::uint32_t>(width) != header.width || static_cast<std::uint32_t>(height) != header.height ||
      gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB || gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 ||
      channels != (alpha ? 4 : 3)) {
    return std::nullopt;
  }
  const int rowstride = gdk_pixbuf_get_rowstride(pixbuf);
  const guint8* pixels = gdk_pixbuf_read_pixels(pixbuf);
  std::vector<std::uint32_t> argb32(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const guint8* in = pixels + static_cast<std::ptrdiff_t>(y) * rowstride;
    std::uint32_t* out = &argb32[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x, in += channels, ++out) {
      *out = premultiplied::pixel(in[0], in[1], in[2], alpha ? in[3] : 0xFF);
    }
  }
  return argb32;
}

}  // namespace platform::graphics
