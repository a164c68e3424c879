#include "platform/addressbook/Base64.h"

#include <array>
#include <cstdint>

namespace platform::addressbook {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int kInvalid = -1;
constexpr int kSkip = -2;

std::array<int, 256> decodeTable() {
  std::array<int, 256> table{};
  table.fill(kInvalid);
  for (std::size_t i = 0; i < kAlphabet.size(); ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int>(i);
  for (char space : {' ', '\t', '\r', '\n'}) table[static_cast<unsigned char>(space)] = kSkip;
  return table;
}

}  // namespace

std::string Base64::encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                                static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                                static_cast<unsigned char>(bytes[i + 2]);
    out += kAlphabet[group >> 18 & 63];
    out += kAlphabet[group >> 12 & 63];
    out += kAlphabet[group >> 6 & 63];
    out += kAlphabet[group & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest > 0) {
    std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
    if (rest == 2) group |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    out += kAlphabet[group >> 18 & 63];
    out += kAlphabet[group >> 12 & 63];
    out += rest == 2 ? kAlphabet[group >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

std::optional<std::string> Base64::decode(std::string_view text) {
  static const std::array<int, 256> table = decodeTable();
  std::string out;
  out.reserve(text.size() / 4 * 3);
  std::uint32_t group = 0;
  int filled = 0;
  int padding = 0;
  for (const char c : text) {
    const int value = table[static_cast<unsigned char>(c)];
    if (value == kSkip) continue;
    if (c == '=') {
      ++padding;
      continue;
    }
    if (value == kInvalid || padding > 0) return std::nullopt;
    group = group << 6 | static_cast<std::uint32_t>(value);
    if (++filled == 4) {
      out += static_cast<char>(group >> 16 & 0xff);
      out += static_cast<char>(group >> 8 & 0xff);
      out += static_cast<char>(group & 0xff);
      group = 0;
      filled = 0;
    }
  }
  // What is left must be a whole final group with its padding (or, as many
  // writers do, the same without the padding).
  if (filled == 1 || padding > 2 || (padding > 0 && filled + padding != 4)) return std::nullopt;
  if (filled == 2) {
    out += static_cast<char>(group >> 4 & 0xff);
  } else if (filled == 3) {
    out += static_cast<char>(group >> 10 & 0xff);
    out += static_cast<char>(group >> 2 & 0xff);
  }
  return out;
}

}  // namespace platform::addressbook
