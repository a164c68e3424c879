#pragma once
// Strict UTF-8 checking and the conversions of the reader's string form.
//
// The JSON reader keeps the UTF-16 code units of a string exactly, lone
// surrogates included, by storing text as WTF-8: UTF-8 in which a surrogate
// code unit that has no partner is written in its 3-byte form (ED A0..BF xx).
// Proper pairs are always combined into one 4-byte sequence, so a string has
// exactly one WTF-8 form and equal UTF-16 means equal bytes.

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace json {

class Utf8 {
 public:
  // For a lead byte at p (>= 0x80), the end of its well-formed sequence, or
  // nullptr when the sequence is malformed, overlong, a surrogate, beyond
  // U+10FFFF or cut off by end.
  static const std::uint8_t* sequenceEnd(const std::uint8_t* p, const std::uint8_t* end) {
    const std::uint8_t lead = *p;
    const auto remaining = end - p;
    auto cont = [](std::uint8_t b) { return (b & 0xC0) == 0x80; };
    if (lead >= 0xC2 && lead <= 0xDF) {
      return remaining >= 2 && cont(p[1]) ? p + 2 : nullptr;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
      if (remaining < 3 || !cont(p[1]) || !cont(p[2])) return nullptr;
      if (lead == 0xE0 && p[1] < 0xA0) return nullptr;
      if (lead == 0xED && p[1] > 0x9F) return nullptr;
      return p + 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
      if (remaining < 4 || !cont(p[1]) || !cont(p[2]) || !cont(p[3])) return nullptr;
      if (lead == 0xF0 && p[1] < 0x90) return nullptr;
      if (lead == 0xF4 && p[1] > 0x8F) return nullptr;
      return p + 4;
    }
    return nullptr;
  }

  // Whole-range check with an ASCII fast path of eight bytes at a time.
  static bool isValid(const std::uint8_t* begin, const std::uint8_t* end);

  // The bytes as a string when they are valid UTF-8, else nullopt.
  static std::optional<std::string> decode(const std::uint8_t* begin, const std::uint8_t* end) {
    if (!isValid(begin, end)) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin));
  }

  // Appends a code point (surrogates included, as WTF-8) in 1 to 4 bytes.
  static void appendCodePoint(std::string& out, char32_t codePoint);
  // The same, written at out; returns the end of what was written.
  static char* writeCodePoint(char* out, char32_t codePoint) {
    if (codePoint < 0x80) {
      *out++ = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
      *out++ = static_cast<char>(0xC0 | (codePoint >> 6));
      *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (codePoint >> 12));
      *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
      *out++ = static_cast<char>(0xF0 | (codePoint >> 18));
      *out++ = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return out;
  }

  // Reads one code point of WTF-8 text and advances p. Bytes that are not
  // well-formed WTF-8 read as U+FFFD, one byte at a time.
  static char32_t nextCodePoint(const char*& p, const char* end);

  static std::u16string wtf8ToUtf16(std::string_view wtf8);
  // Plain UTF-8 for the rest of the system: lone surrogates become U+FFFD.
  static std::string wtf8ToUtf8(std::string_view wtf8);
  static bool containsSurrogate(std::string_view wtf8);
};

}  // namespace json
