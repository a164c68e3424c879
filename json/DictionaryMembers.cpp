#include "json/DictionaryMembers.h"

#include <algorithm>

namespace json {

DictionaryMembers::Result DictionaryMembers::deduplicate(Member* first, std::size_t count) {
  std::size_t kept = 0;
  if (count <= kLinearLimit) {
    std::uint32_t signatures[kLinearLimit];
    for (std::size_t i = 0; i < count; ++i) signatures[i] = signatureOf(first[i].key.wtf8());
    // Writing to first[kept] only touches members already looked at.
    for (std::size_t i = 0; i < count; ++i) {
      bool replacedLater = false;
      for (std::size_t j = i + 1; j < count && !replacedLater; ++j) {
        replacedLater = signatures[i] == signatures[j] && first[i].key.wtf8() == first[j].key.wtf8();
      }
      if (replacedLater) continue;
      if (kept != i) first[kept] = first[i];
      ++kept;
    }
    return {kept, false};
  }
  // Stable, so that among equal keys the last one in the text sorts last.
  std::stable_sort(first, first + count, [](const Member& a, const Member& b) { return a.key.wtf8() < b.key.wtf8(); });
  for (std::size_t i = 0; i < count; ++i) {
    if (i + 1 < count && first[i].key.wtf8() == first[i + 1].key.wtf8()) continue;
    first[kept++] = first[i];
  }
  return {kept, true};
}

}  // namespace json
