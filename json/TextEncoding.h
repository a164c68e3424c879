#pragma once
// Recognition of UTF-16 and UTF-32 input by the zero bytes among its first
// four bytes, and strict conversion of such input to UTF-8.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace json {

class TextEncoding {
 public:
  enum class Encoding { UTF8, UTF16BigEndian, UTF16LittleEndian, UTF32BigEndian, UTF32LittleEndian };

  // Classifies the first four bytes as zero or not: 00 00 00 x is UTF-32 BE,
  // 00 x 00 x UTF-16 BE, x 00 00 00 UTF-32 LE, x 00 x 00 UTF-16 LE; anything
  // else, and input shorter than four bytes, is taken as UTF-8.
  static Encoding detect(const std::uint8_t* bytes, std::size_t size);

  // The text re-encoded as UTF-8, or nullopt when it is not valid in the
  // given encoding (odd length, unpaired surrogate, code point out of range).
  static std::optional<std::vector<std::uint8_t>> toUtf8(const std::uint8_t* bytes, std::size_t size,
                                                          Encoding encoding);
};

}  // namespace json
