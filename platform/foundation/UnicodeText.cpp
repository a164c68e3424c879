#include "platform/foundation/UnicodeText.h"

#include <cstdint>

namespace platform {

namespace {

std::optional<std::string> utf16ToUTF8(std::string_view bytes, bool bigEndian) {
  if (bytes.size() % 2 != 0) {
    return std::nullopt;
  }
  auto unitAt = [&](std::size_t i) {
    const auto first = static_cast<std::uint8_t>(bytes[i]);
    const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
    return bigEndian ? static_cast<std::uint32_t>(first << 8 | second)
                     : static_cast<std::uint32_t>(second << 8 | first);
  };
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    std::uint32_t code = unitAt(i);
    if (code >= 0xDC00 && code <= 0xDFFF) {
      return std::nullopt;
    }
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 3 >= bytes.size()) {
        return std::nullopt;
      }
      const std::uint32_t low = unitAt(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) {
        return std::nullopt;
      }
      code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      i += 2;
    }
    UnicodeText::appendUTF8(out, code);
  }
  return out;
}

}  // namespace

bool UnicodeText::isValidUTF8(std::string_view text) {
  std::size_t position = 0;
  while (position < text.size()) {
    if (!nextCodePoint(text, position)) return false;
  }
  return true;
}

std::optional<char32_t> UnicodeText::nextCodePoint(std::string_view text, std::size_t& position) {
  const std::size_t start = position++;
  const auto lead = static_cast<unsigned char>(text[start]);
  if (lead < 0x80) return lead;
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (start + length > text.size()) return std::nullopt;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[start + k]);
    if ((next & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (next & 0x3F);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  position = start + length;
  return static_cast<char32_t>(code);
}

void UnicodeText::appendUTF8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::optional<std::string> UnicodeText::decodeByteOrderMarked(std::string_view bytes) {
  std::optional<std::string> text;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    text = std::string(bytes.substr(3));
  } else if (bytes.starts_with("\xFF\xFE")) {
    text = utf16ToUTF8(bytes.substr(2), false);
  } else if (bytes.starts_with("\xFE\xFF")) {
    text = utf16ToUTF8(bytes.substr(2), true);
  } else {
    text = std::string(bytes);
  }
  if (!text || !isValidUTF8(*text)) {
    return std::nullopt;
  }
  return text;
}

}  // namespace platform
