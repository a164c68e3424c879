#include "json/Utf8.h"

namespace json {

bool Utf8::isValid(const std::uint8_t* begin, const std::uint8_t* end) {
  const std::uint8_t* p = begin;
  while (p < end) {
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if (word & 0x8080808080808080ULL) break;
      p += 8;
    }
    if (p == end) break;
    if (*p < 0x80) {
      ++p;
      continue;
    }
    p = sequenceEnd(p, end);
    if (p == nullptr) return false;
  }
  return true;
}

void Utf8::appendCodePoint(std::string& out, char32_t cp) {
  char bytes[4];
  out.append(bytes, writeCodePoint(bytes, cp));
}

char32_t Utf8::nextCodePoint(const char*& p, const char* end) {
  const auto* u = reinterpret_cast<const std::uint8_t*>(p);
  const auto* e = reinterpret_cast<const std::uint8_t*>(end);
  const std::uint8_t lead = *u;
  if (lead < 0x80) {
    ++p;
    return lead;
  }
  // A 3-byte surrogate form is accepted here: that is what makes it WTF-8.
  if (lead == 0xED && e - u >= 3 && (u[1] & 0xC0) == 0x80 && (u[2] & 0xC0) == 0x80) {
    p += 3;
    return static_cast<char32_t>(((lead & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F));
  }
  const std::uint8_t* next = sequenceEnd(u, e);
  if (next == nullptr) {
    ++p;
    return 0xFFFD;
  }
  char32_t cp;
  switch (next - u) {
    case 2: cp = static_cast<char32_t>(((lead & 0x1F) << 6) | (u[1] & 0x3F)); break;
    case 3: cp = static_cast<char32_t>(((lead & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F)); break;
    default:
      cp = static_cast<char32_t>(((lead & 0x07) << 18) | ((u[1] & 0x3F) << 12) | ((u[2] & 0x3F) << 6) |
                                 (u[3] & 0x3F));
      break;
  }
  p = reinterpret_cast<const char*>(next);
  return cp;
}

std::u16string Utf8::wtf8ToUtf16(std::string_view wtf8) {
  std::u16string out;
  out.reserve(wtf8.size());
  const char* p = wtf8.data();
  const char* end = p + wtf8.size();
  while (p < end) {
    const char32_t cp = nextCodePoint(p, end);
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

bool Utf8::containsSurrogate(std::string_view wtf8) {
  for (std::size_t i = 0; i + 1 < wtf8.size(); ++i) {
    if (static_cast<std::uint8_t>(wtf8[i]) == 0xED && static_cast<std::uint8_t>(wtf8[i + 1]) >= 0xA0) return true;
  }
  return false;
}

std::string Utf8::wtf8ToUtf8(std::string_view wtf8) {
  if (!containsSurrogate(wtf8)) return std::string(wtf8);
  std::string out;
  out.reserve(wtf8.size());
  const char* p = wtf8.data();
  const char* end = p + wtf8.size();
  while (p < end) {
    const char32_t cp = nextCodePoint(p, end);
    appendCodePoint(out, cp >= 0xD800 && cp <= 0xDFFF ? char32_t{0xFFFD} : cp);
  }
  return out;
}

}  // namespace json
