#pragma once
// A look at the object graph of a binary property list before libplist
// reads it. libplist descends recursively through nested containers and
// copies objects that are referenced more than once, so a small hostile
// file could exhaust the stack or unfold into an enormous tree. The checker
// walks the same graph without recursion and refuses it when it nests too
// deep, expands to too many values, or points outside the file. It also
// refuses a dictionary key that is not a string or holds a NUL: libplist
// stops the whole process with a failed assertion when it walks a
// dictionary with a NUL in a UTF-16 key.

#include <cstddef>
#include <string_view>

namespace platform {

class BinaryPlistChecker {
 public:
  static bool isWithinLimits(std::string_view bytes, int maxDepth, std::size_t maxObjects);
};

}  // namespace platform
