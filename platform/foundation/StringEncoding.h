#pragma once
// The text encodings that conversions in this platform can target.

namespace platform {

enum class StringEncoding {
  ASCII,  // 7-bit only: text with other characters cannot be converted.
  UTF8,
};

}  // namespace platform
