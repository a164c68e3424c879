#include "platform/foundation/PercentEscapes.h"

#include <cstdint>

#include "platform/foundation/UnicodeText.h"

namespace platform {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string_view PercentEscapes::keptCharacters() {
  static constexpr std::string_view kKept =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
      "-._~!#$&'()*+,/:;=?@[]";
  return kKept;
}

bool PercentEscapes::isKeptCharacter(char c) {
  return c != '\0' && keptCharacters().find(c) != std::string_view::npos;
}

std::optional<std::string> PercentEscapes::addingPercentEscapes(std::string_view text,
                                                                StringEncoding encoding,
                                                                std::string_view alsoEscape) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x7F && encoding == StringEncoding::ASCII) {
      return std::nullopt;
    }
    if (isKeptCharacter(c) && alsoEscape.find(c) == std::string_view::npos) {
      out += c;
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    }
  }
  return out;
}

std::optional<std::string> PercentEscapes::removingPercentEscapes(std::string_view text,
                                                                  StringEncoding encoding) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) {
      return std::nullopt;
    }
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) {
      return std::nullopt;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  if (encoding == StringEncoding::ASCII) {
    for (const char c : out) {
      if (static_cast<unsigned char>(c) > 0x7F) {
        return std::nullopt;
      }
    }
  } else if (!UnicodeText::isValidUTF8(out)) {
    return std::nullopt;
  }
  return out;
}

}  // namespace platform
