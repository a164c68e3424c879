#pragma once
// Premultiplied ARGB32 pixels, the layout of a Cairo image surface: one
// native-endian 32-bit word per pixel, alpha in the top byte and each colour
// already multiplied by it. Shared by the decoders that produce such pixels
// and by Image, which works straight RGBA back out of them.

#include <algorithm>
#include <cstdint>

namespace platform::graphics::premultiplied {

// Cairo's rounding for premultiplication: exact c * a / 255, rounded.
inline std::uint32_t multiply(std::uint32_t c, std::uint32_t a) {
  const std::uint32_t t = c * a + 0x80;
  return ((t >> 8) + t) >> 8;
}

// The inverse, rounded to the nearest value: multiplying the result again
// gives back exactly the premultiplied value.
inline std::uint8_t unmultiply(std::uint32_t c, std::uint32_t a) {
  if (a == 0) return 0;
  return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (c * 255 + a / 2) / a));
}

// One pixel from straight colour and alpha. Most pixels of an icon are
// opaque or fully transparent; those need no arithmetic.
inline std::uint32_t pixel(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a) {
  if (a == 0xFF) return 0xFF000000u | (r << 16) | (g << 8) | b;
  if (a == 0) return 0;
  return (a << 24) | (multiply(r, a) << 16) | (multiply(g, a) << 8) | multiply(b, a);
}

// A word that holds straight colour in the premultiplied layout, made
// premultiplied in place.
inline std::uint32_t premultiply(std::uint32_t straight) {
  const std::uint32_t a = straight >> 24;
  if (a == 0xFF) return straight;
  return pixel((straight >> 16) & 0xFF, (straight >> 8) & 0xFF, straight & 0xFF, a);
}

}  // namespace platform::graphics::premultiplied
