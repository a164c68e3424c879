#pragma once
// Real encoded pictures for the image tests: PNG and JPEG through the imaging
// library's own encoders, GIF through a small encoder here (the library cannot
// write GIF), and a CRC so hand-edited PNG chunks stay well-formed.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace testimages {

using Bytes = std::vector<std::uint8_t>;
using Rgba = std::array<std::uint8_t, 4>;

// Encodes a width x height RGBA picture whose pixels come from `pixel` with
// the imaging library's saver of `type` ("png", "jpeg", "bmp", "tiff").
inline Bytes encode(const char* type, int width, int height,
                    const std::function<Rgba(int, int)>& pixel, bool alpha = true) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, width, height);
  if (pixbuf == nullptr) {
    throw std::runtime_error("cannot allocate pixbuf");
  }
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  guint8* pixels = gdk_pixbuf_get_pixels(pixbuf);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgba p = pixel(x, y);
      for (int c = 0; c < channels; ++c) {
        pixels[y * stride + x * channels + c] = p[c];
      }
    }
  }
  gchar* buffer = nullptr;
  gsize length = 0;
  GError* error = nullptr;
  const gboolean ok = gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &length, type, &error, nullptr);
  g_object_unref(pixbuf);
  if (!ok) {
    std::string message = error ? error->message : "unknown";
    g_clear_error(&error);
    throw std::runtime_error("cannot encode " + std::string(type) + ": " + message);
  }
  Bytes bytes(reinterpret_cast<std::uint8_t*>(buffer), reinterpret_cast<std::uint8_t*>(buffer) + length);
  g_free(buffer);
  return bytes;
}

inline Rgba checker(int x, int y) {
  return ((x / 4 + y / 4) % 2) ? Rgba{250, 20, 30, 255} : Rgba{10, 40, 220, 255};
}

inline std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

inline void putBigEndian32(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 24);
  b[at + 1] = static_cast<std::uint8_t>(v >> 16);
  b[at + 2] = static_cast<std::uint8_t>(v >> 8);
  b[at + 3] = static_cast<std::uint8_t>(v);
}

// Rewrites the IHDR size of an encoded PNG and fixes the chunk's CRC, so the
// file is well-formed apart from the lie about its size.
inline Bytes withPngSize(Bytes png, std::uint32_t width, std::uint32_t height) {
  putBigEndian32(png, 16, width);
  putBigEndian32(png, 20, height);
  putBigEndian32(png, 29, crc32(&png[12], 17));
  return png;
}

// The PNG with a "Comment" text chunk of `text` right after its header: the
// same picture in other bytes than any encoder would write.
inline Bytes withTextChunk(const Bytes& png, const std::string& text) {
  constexpr std::size_t kAfterHeader = 8 + 25;  // signature, then IHDR's length, type, data and CRC
  const std::string data = std::string("Comment", 7) + '\0' + text;
  Bytes chunk(4, 0);
  putBigEndian32(chunk, 0, static_cast<std::uint32_t>(data.size()));
  for (char c : std::string("tEXt") + data) chunk.push_back(static_cast<std::uint8_t>(c));
  chunk.resize(chunk.size() + 4);
  putBigEndian32(chunk, chunk.size() - 4, crc32(&chunk[4], chunk.size() - 8));
  Bytes out = png;
  out.insert(out.begin() + kAfterHeader, chunk.begin(), chunk.end());
  return out;
}

// A GIF with a four-colour global palette and `frames` copies of one image.
// The LZW stream resets the code table every two pixels, so every code stays
// three bits wide: valid, if not compressed.
inline Bytes makeGif(int width, int height, const std::array<std::array<std::uint8_t, 3>, 4>& palette,
                     const std::vector<std::uint8_t>& indices, int frames = 1) {
  Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
  auto put16 = [&gif](int v) {
    gif.push_back(static_cast<std::uint8_t>(v & 0xFF));
    gif.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
  };
  put16(width);
  put16(height);
  gif.insert(gif.end(), {0x81, 0x00, 0x00});  // global table of 4 entries
  for (const auto& colour : palette) {
    gif.insert(gif.end(), colour.begin(), colour.end());
  }
  Bytes lzw;
  std::uint32_t bits = 0;
  int used = 0;
  auto code = [&](std::uint32_t c) {
    bits |= c << used;
    used += 3;
    while (used >= 8) {
      lzw.push_back(static_cast<std::uint8_t>(bits & 0xFF));
      bits >>= 8;
      used -= 8;
    }
  };
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % 2 == 0) {
      code(4);  // clear
    }
    code(indices[i]);
  }
  code(5);  // end of information
  if (used > 0) {
    lzw.push_back(static_cast<std::uint8_t>(bits & 0xFF));
  }
  for (int f = 0; f < frames; ++f) {
    gif.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.push_back(0x00);
    gif.push_back(0x02);  // LZW minimum code size
    for (std::size_t at = 0; at < lzw.size(); at += 255) {
      const std::size_t n = std::min<std::size_t>(255, lzw.size() - at);
      gif.push_back(static_cast<std::uint8_t>(n));
      gif.insert(gif.end(), lzw.begin() + static_cast<std::ptrdiff_t>(at),
                 lzw.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    gif.push_back(0x00);
  }
  gif.push_back(0x3B);
  return gif;
}

}  // namespace testimages
