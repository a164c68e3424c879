#include "json/TextEncoding.h"

#include <string>

#include "json/Utf8.h"

namespace json {

namespace {

std::optional<std::vector<std::uint8_t>> fromUtf16(const std::uint8_t* bytes, std::size_t size, bool bigEndian) {
  if (size % 2 != 0) return std::nullopt;
  auto unitAt = [&](std::size_t i) -> char32_t {
    const std::uint8_t a = bytes[2 * i];
    const std::uint8_t b = bytes[2 * i + 1];
    return bigEndian ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
  };
  const std::size_t units = size / 2;
  std::string text;
  text.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    char32_t unit = unitAt(i);
    if (unit >= 0xDC00 && unit <= 0xDFFF) return std::nullopt;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 >= units) return std::nullopt;
      const char32_t low = unitAt(i + 1);
      if (low < 0xDC00 || low > 0xDFFF) return std::nullopt;
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
      ++i;
    }
    Utf8::appendCodePoint(text, unit);
  }
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<std::vector<std::uint8_t>> fromUtf32(const std::uint8_t* bytes, std::size_t size, bool bigEndian) {
  if (size % 4 != 0) return std::nullopt;
  std::string text;
  text.reserve(size / 4);
  for (std::size_t i = 0; i < size; i += 4) {
    const std::uint8_t* p = bytes + i;
    const std::uint32_t cp = bigEndian ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                             (std::uint32_t{p[2]} << 8) | p[3]
                                       : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                                             (std::uint32_t{p[1]} << 8) | p[0];
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    Utf8::appendCodePoint(text, cp);
  }
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

}  // namespace

TextEncoding::Encoding TextEncoding::detect(const std::uint8_t* bytes, std::size_t size) {
  if (size < 4) return Encoding::UTF8;
  const bool z0 = bytes[0] == 0, z1 = bytes[1] == 0, z2 = bytes[2] == 0, z3 = bytes[3] == 0;
  if (z0 && z1 && z2 && !z3) return Encoding::UTF32BigEndian;
  if (z0 && !z1 && z2 && !z3) return Encoding::UTF16BigEndian;
  if (!z0 && z1 && z2 && z3) return Encoding::UTF32LittleEndian;
  if (!z0 && z1 && !z2 && z3) return Encoding::UTF16LittleEndian;
  return Encoding::UTF8;
}

std::optional<std::vector<std::uint8_t>> TextEncoding::toUtf8(const std::uint8_t* bytes, std::size_t size,
                                                               Encoding encoding) {
  switch (encoding) {
    case Encoding::UTF16BigEndian: return fromUtf16(bytes, size, true);
    case Encoding::UTF16LittleEndian: return fromUtf16(bytes, size, false);
    case Encoding::UTF32BigEndian: return fromUtf32(bytes, size, true);
    case Encoding::UTF32LittleEndian: return fromUtf32(bytes, size, false);
    case Encoding::UTF8: break;
  }
  return std::vector<std::uint8_t>(bytes, bytes + size);
}

}  // namespace json
