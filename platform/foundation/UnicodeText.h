#pragma once
// Small Unicode helpers shared by the URL and property-list code: UTF-8
// checking and writing, and turning text with a byte-order mark into UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class UnicodeText {
 public:
  // True when `text` is well-formed UTF-8 (no overlong forms, no
  // surrogates, nothing above U+10FFFF).
  static bool isValidUTF8(std::string_view text);

  // The well-formed code point that starts at `position`, which moves past
  // it. A malformed sequence gives nullopt and moves `position` by one byte,
  // so a caller can go on reading after it.
  static std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t& position);

  // Appends one code point (at most U+10FFFF) as UTF-8.
  static void appendUTF8(std::string& out, char32_t code);

  // Strips a UTF-8 byte-order mark, converts UTF-16 with either mark, and
  // checks that the result is UTF-8. nullopt for odd-length UTF-16,
  // unpaired surrogates or broken UTF-8.
  static std::optional<std::string> decodeByteOrderMarked(std::string_view bytes);
};

}  // namespace platform
