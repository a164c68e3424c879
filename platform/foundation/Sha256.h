#pragma once
// SHA-256 of a byte string (FIPS 180-4). Used to derive identifiers that
// must not reveal the value they come from.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class Sha256 {
 public:
  static std::array<std::uint8_t, 32> digest(std::string_view bytes);
  // The digest as 64 lower-case hex digits.
  static std::string hexDigest(std::string_view bytes);
};

}  // namespace platform
