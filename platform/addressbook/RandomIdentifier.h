#pragma once
// Random names for entries and temporary files, from the kernel's random
// source.

#include <cstddef>
#include <string>

namespace platform::addressbook {

class RandomIdentifier {
 public:
  // `bytes` random bytes as lower-case hex digits.
  static std::string hex(std::size_t bytes);
  // A version 4 UUID, "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx".
  static std::string uuid();
};

}  // namespace platform::addressbook
