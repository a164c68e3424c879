#include "json/DictionaryMembers.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace json {

namespace {

std::uint32_t signatureOf(std::string_view key) {
  if (key.empty()) return 0;
  return static_cast<std::uint32_t>(key.size() << 16) ^
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(key.front()) << 8) ^
         static_cast<std::uint8_t>(key.back());
}

}  // namespace

DictionaryMembers::Result DictionaryMembers::deduplicate(Member* first, std::size_t count) {
  std::size_t kept = 0;
  if (count <= kLinearLimit) {
    // A 256-bit filter over the signatures: when no two land on the same
    // bit, no two keys can be equal and there is nothing to compare.
    std::uint32_t signatures[kLinearLimit];
    std::uint64_t filter[4] = {};
    bool mayRepeat = false;
    for (std::size_t i = 0; i < count; ++i) {
      signatures[i] = signatureOf(first[i].key.wtf8());
      const unsigned bit = (signatures[i] * 0x9E3779B1u) >> 24;
      const std::uint64_t mask = std::uint64_t{1} << (bit & 63);
      mayRepeat |= (filter[bit >> 6] & mask) != 0;
      filter[bit >> 6] |= mask;
    }
    if (!mayRepeat) return {count, false};
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
