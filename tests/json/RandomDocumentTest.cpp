// Random documents written with random spacing, escapes and repeated keys,
// each with the canonical form it must read as, worked out here from the
// generated tree rather than by the reader. One deserializer reads them all
// in turn, holding some results while it goes on, so that every parse after
// the first runs in reused memory.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "json/CanonicalWriter.h"
#include "json/JSONDeserializer.h"
#include "json/Utf8.h"

namespace json {
namespace {

class Generator {
 public:
  explicit Generator(std::uint64_t seed) : state_(seed) {}

  // A dictionary at the top, as the ad library reads them. Appends its text
  // to `text` and returns its canonical form.
  std::string dictionary(std::string& text, int depth) {
    text += '{';
    std::map<std::string, std::string> members;  // WTF-8 key -> canonical value; last wins
    const std::size_t count = pick(5) == 0 ? 17 + pick(30) : pick(8);
    for (std::size_t i = 0; i < count; ++i) {
      if (i > 0) text += ',';
      space(text);
      const std::string key = string(text, /*fewKeys=*/true);
      space(text);
      text += ':';
      members[key] = value(text, depth + 1);
      space(text);
    }
    if (count > 0 && pick(4) == 0) text += ',';  // a trailing comma is accepted
    text += '}';
    std::string canonical = "{";
    for (const auto& [key, member] : members) {
      if (canonical.size() > 1) canonical += ',';
      CanonicalWriter::appendString(canonical, key);
      canonical += ':' + member;
    }
    return canonical + '}';
  }

 private:
  std::uint64_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  std::size_t pick(std::size_t n) { return static_cast<std::size_t>(next() % n); }

  // Mostly nothing, sometimes a run long enough for the wide search.
  void space(std::string& text) {
    static const char kSpaces[] = " \t\n\r\v\f";
    const std::size_t length = pick(3) == 0 ? pick(3) : pick(6) == 0 ? 16 + pick(40) : 0;
    for (std::size_t i = 0; i < length; ++i) text += kSpaces[pick(6)];
  }

  std::string value(std::string& text, int depth) {
    const std::size_t kind = depth > 6 ? 2 + pick(4) : pick(7);
    switch (kind) {
      case 0: return dictionary(text, depth);
      case 1: {
        text += '[';
        std::string canonical = "[";
        const std::size_t count = pick(6);
        for (std::size_t i = 0; i < count; ++i) {
          if (i > 0) {
            text += ',';
            canonical += ',';
          }
          space(text);
          canonical += value(text, depth + 1);
          space(text);
        }
        text += ']';
        return canonical + ']';
      }
      case 2: {
        std::string canonical;
        CanonicalWriter::appendString(canonical, string(text, false));
        return canonical;
      }
      case 3: return number(text);
      case 4: return number(text);
      default: {
        static const char* const kLiterals[] = {"true", "false", "null"};
        const char* literal = kLiterals[pick(3)];
        text += literal;
        return literal;
      }
    }
  }

  std::string number(std::string& text) {
    std::string written = pick(2) ? "-" : "";
    written += std::to_string(next() % (std::uint64_t{1} << pick(64)));
    if (pick(2)) written += "." + std::string(pick(3), '0') + std::to_string(pick(1000000));
    if (pick(4) == 0) written += (pick(2) ? "e" : "E") + std::string(pick(2) ? "-" : "") + std::to_string(pick(30));
    double expected = 0;
    std::from_chars(written.data(), written.data() + written.size(), expected);
    text += written;
    std::string canonical;
    CanonicalWriter::appendNumber(canonical, expected);
    return canonical;
  }

  // Writes a string constant and returns its WTF-8 value.
  std::string string(std::string& text, bool fewKeys) {
    static const char32_t kPalette[] = {'a', 'b', 'k', ' ', '"', '\\', '/', '\n', '\t', 0x01, 0x7F, 0xE9, 0x65E5,
                                        0x1F600, 0xD83D, 0xDE00};
    std::string wtf8;
    text += '"';
    const std::size_t length = fewKeys ? 1 + pick(2) : pick(4) == 0 ? 20 + pick(40) : pick(12);
    for (std::size_t i = 0; i < length; ++i) {
      const char32_t c = fewKeys ? U"abk"[pick(3)] : kPalette[pick(std::size(kPalette))];
      const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
      if (surrogate || c < 0x20 || c == '"' || c == '\\' || pick(5) == 0) {
        appendEscape(text, c);
      } else {
        Utf8::appendCodePoint(text, c);
      }
      // A high and a low surrogate side by side make one character.
      if (c == 0xDE00 && wtf8.size() >= 3 && wtf8.compare(wtf8.size() - 3, 3, "\xed\xa0\xbd") == 0) {
        wtf8.resize(wtf8.size() - 3);
        Utf8::appendCodePoint(wtf8, 0x1F600);
      } else {
        Utf8::appendCodePoint(wtf8, c);
      }
    }
    text += '"';
    return wtf8;
  }

  void appendEscape(std::string& text, char32_t c) {
    if (c == '"' || c == '\\' || c == '/') {
      text += '\\';
      text += static_cast<char>(c);
    } else if (c == '\n' && pick(2)) {
      text += "\\n";
    } else if (c >= 0x10000) {
      const char32_t offset = c - 0x10000;
      appendUnit(text, 0xD800 + (offset >> 10));
      appendUnit(text, 0xDC00 + (offset & 0x3FF));
    } else {
      appendUnit(text, c);
    }
  }

  void appendUnit(std::string& text, char32_t unit) {
    char hex[8];
    std::snprintf(hex, sizeof hex, pick(2) ? "\\u%04x" : "\\u%04X", static_cast<unsigned>(unit));
    text += hex;
  }

  std::uint64_t state_;
};

TEST(RandomDocuments, ReadAsTheirCanonicalFormsInReusedMemory) {
  auto deserializer = JSONDeserializer::deserializer();
  struct Held {
    std::shared_ptr<const Value> value;
    std::string expected;
  };
  std::vector<Held> held;
  Generator generator(0x9E3779B97F4A7C15ULL);
  for (int i = 0; i < 400; ++i) {
    std::string text;
    const std::string expected = generator.dictionary(text, 0);
    const auto value = deserializer->deserializeAsDictionaryError(ByteScanner::dataWithBytes(text), nullptr);
    ASSERT_NE(value, nullptr) << text;
    ASSERT_EQ(CanonicalWriter::canonicalForm(*value), expected) << text;
    if (i % 3 == 0) held.push_back({value, expected});
  }
  // What was held while later documents were read is still what it was.
  for (const auto& [value, expected] : held) ASSERT_EQ(CanonicalWriter::canonicalForm(*value), expected);
}

}  // namespace
}  // namespace json
