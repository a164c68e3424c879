#pragma once
// Base64 (RFC 4648, standard alphabet, with padding) for pictures embedded in
// vCard files.

#include <optional>
#include <string>
#include <string_view>

namespace platform::addressbook {

class Base64 {
 public:
  static std::string encode(std::string_view bytes);
  // Whitespace is skipped (older writers fold inside the data); anything
  // else outside the alphabet, or a wrong length, gives nullopt.
  static std::optional<std::string> decode(std::string_view text);
};

}  // namespace platform::addressbook
