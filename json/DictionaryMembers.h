#pragma once
// Makes the members of a freshly scanned dictionary hold each key once, the
// last occurrence in the text winning, without quadratic work on big ones.
//
// Up to kLinearLimit members the pairs are compared (cheap signatures first)
// and the order is kept: lookups then scan linearly, which is fastest for
// the dozen keys of an ad answer. Larger dictionaries are sorted by key
// bytes, so lookups can binary-search; Value::objectForKey relies on that.

#include <cstddef>

#include "json/Value.h"

namespace json {

class DictionaryMembers {
 public:
  static constexpr std::size_t kLinearLimit = 16;

  struct Result {
    std::size_t count;   // members kept at the front of the range
    bool sortedByKey;
  };

  static Result deduplicate(Member* first, std::size_t count);
};

}  // namespace json
