#pragma once
// Skips a run of whitespace: the six ASCII spaces (space, tab, line feed,
// vertical tab, form feed, carriage return) and, for bytes of 0x80 and above,
// whatever the current C locale classifies as space (none in the default
// locale). Sixteen bytes at a time with SSE2 where the compiler targets it:
// the vector test finds the first byte that is no ASCII space, and a byte of
// 0x80 or above found there is asked of the C library as before, so the
// answer never differs from the byte-at-a-time loop.

#include <cctype>
#include <cstdint>

namespace json {

class WhitespaceRun {
 public:
  static bool isWhitespace(std::uint8_t byte) {
    if (byte < 0x80) return byte == ' ' || (byte >= '\t' && byte <= '\r');
    return std::isspace(byte) != 0;
  }

  // The first byte at or after p that is not whitespace, or end. Out of
  // line, so that the callers' check of the first byte stays small.
  static const std::uint8_t* skip(const std::uint8_t* p, const std::uint8_t* end);

  static const std::uint8_t* skipScalar(const std::uint8_t* p, const std::uint8_t* end) {
    while (p < end && isWhitespace(*p)) ++p;
    return p;
  }
};

}  // namespace json
