#pragma once
// A set of byte values (0 to 255), tested with one shift and mask. The byte
// scanner works on raw bytes, so this is all the "character set" it needs;
// sets are immutable once built and shared between scanners.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

namespace json {

class CharacterSet {
 public:
  CharacterSet() = default;

  // A set of every byte of the given text (bytes, not decoded characters).
  static std::shared_ptr<const CharacterSet> characterSetWithCharactersInString(std::string_view bytes);

  void addCharacter(std::uint8_t byte) { bits_[byte >> 6] |= std::uint64_t{1} << (byte & 63); }
  void addCharactersInString(std::string_view bytes);

  // A character above 255 is never a member: the scanner only sees bytes.
  bool characterIsMember(char16_t character) const {
    return character < 256 && contains(static_cast<std::uint8_t>(character));
  }
  bool contains(std::uint8_t byte) const { return (bits_[byte >> 6] >> (byte & 63)) & 1; }

  bool operator==(const CharacterSet&) const = default;

 private:
  std::array<std::uint64_t, 4> bits_{};
};

}  // namespace json
