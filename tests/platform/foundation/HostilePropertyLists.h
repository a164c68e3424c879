#pragma once
// Property lists in the shapes that once made reading them slow, for the
// tests of the reader and of the localizer that reads strings files.

#include <plist/plist.h>

#include <cstdint>
#include <string>

namespace hostileplists {

// The binary form of a libplist tree, which it frees.
inline std::string binaryOf(plist_t root) {
  char* bytes = nullptr;
  std::uint32_t length = 0;
  plist_to_bin(root, &bytes, &length);
  std::string out(bytes, length);
  plist_to_bin_free(bytes);
  plist_free(root);
  return out;
}

// A binary list: a dictionary holding one array of `count` references to a
// single shared `true` object. Reading the array by index from its head took
// time quadratic in `count`. libplist's writer shares equal values, so this
// is also what a server would send.
inline std::string sharedTrueArray(std::uint32_t count) {
  plist_t root = plist_new_dict();
  plist_t array = plist_new_array();
  for (std::uint32_t i = 0; i < count; ++i) plist_array_append_item(array, plist_new_bool(1));
  plist_dict_set_item(root, "a", array);
  return binaryOf(root);
}

}  // namespace hostileplists
