#include "platform/foundation/JavaScriptString.h"

#include <cstdio>
#include <optional>

#include "platform/foundation/UnicodeText.h"

namespace platform {

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kDelete = 0x7F;
constexpr char32_t kFirstNonASCII = 0x80;
constexpr char32_t kFirstPrintable = 0x20;
constexpr char32_t kLastBasicPlane = 0xFFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr unsigned kHighSurrogate = 0xD800, kLowSurrogate = 0xDC00, kSurrogateBits = 10, kLowSurrogateMask = 0x3FF;

void appendEscape(std::string& out, const char* format, unsigned value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, format, value);
  out += buffer;
}

}  // namespace

std::string JavaScriptString::literal(std::string_view utf8) {
  std::string out = "'";
  out.reserve(utf8.size() + 2);
  std::size_t position = 0;
  while (position < utf8.size()) {
    const std::optional<char32_t> code = UnicodeText::nextCodePoint(utf8, position);
    if (!code) {
      appendEscape(out, "\\u%04X", kReplacementCharacter);
    } else if (*code == '\'' || *code == '"' || *code == '\\') {
      out += '\\';
      out += static_cast<char>(*code);
    } else if (*code < kFirstPrintable || *code == kDelete || *code == '<' || *code == '>') {
      appendEscape(out, "\\x%02X", static_cast<unsigned>(*code));
    } else if (*code < kFirstNonASCII) {
      out += static_cast<char>(*code);
    } else if (*code <= kLastBasicPlane) {
      appendEscape(out, "\\u%04X", static_cast<unsigned>(*code));
    } else {
      // Beyond the basic plane a literal holds the UTF-16 surrogate pair.
      const unsigned offset = static_cast<unsigned>(*code - kFirstSupplementary);
      appendEscape(out, "\\u%04X", kHighSurrogate + (offset >> kSurrogateBits));
      appendEscape(out, "\\u%04X", kLowSurrogate + (offset & kLowSurrogateMask));
    }
  }
  out += '\'';
  return out;
}

}  // namespace platform
