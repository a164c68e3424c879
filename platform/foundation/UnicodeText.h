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

  // Appends one code point (at most U+10FFFF) as UTF-8.
  static void appendUTF8(std::string& out, char32_t code);

  // Strips a UTF-8 byte-order mark, converts UTF-16 with either mark, and
  // checks that the result is UTF-8. nullopt for odd-length UTF-16,
  // unpaired surrogates or broken UTF-8.
  static std::optional<std::string> decodeByteOrderMarked(std::string_view bytes);
};

}  // namespace platform
