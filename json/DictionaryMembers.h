#pragma once
// Makes the members of a freshly scanned dictionary hold each key once, the
// last occurrence in the text winning, without quadratic work on big ones.
//
// How to use it: while scanning, noteKey() each key as it arrives; at the
// closing brace, only when needsDeduplication() call deduplicate(). The
// notes are an exact small hash index over the first kLinearLimit keys, so
// the common case (no key twice) costs one probe per key and no second pass.
//
// Up to kLinearLimit members the order is kept: lookups then scan linearly,
// which is fastest for the dozen keys of an ad answer. Larger dictionaries
// are sorted by key bytes, so lookups can binary-search; Value::objectForKey
// relies on that.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "json/Value.h"

namespace json {

class DictionaryMembers {
 public:
  static constexpr std::size_t kLinearLimit = 16;

  struct Result {
    std::size_t count;   // members kept at the front of the range
    bool sortedByKey;
  };

  // The key of members[index], the latest member scanned.
  void noteKey(const Member* members, std::size_t index) {
    if (index >= kLinearLimit) return;
    const std::string_view key = members[index].key.wtf8();
    const std::uint32_t signature = signatureOf(key);
    signatures_[index] = signature;
    for (unsigned slot = (signature * 0x2545F491u) >> (32 - kSlotBits);; slot = (slot + 1) & kSlotMask) {
      const std::size_t occupant = slots_[slot];
      if (occupant == 0) {
        slots_[slot] = static_cast<std::uint8_t>(index + 1);
        return;
      }
      if (signatures_[occupant - 1] == signature && members[occupant - 1].key.wtf8() == key) {
        repeated_ = true;
        return;
      }
    }
  }
  bool needsDeduplication(std::size_t count) const { return repeated_ || count > kLinearLimit; }

  static Result deduplicate(Member* first, std::size_t count);

 private:
  static constexpr unsigned kSlotBits = 5;  // twice as many slots as keys
  static constexpr unsigned kSlotMask = (1u << kSlotBits) - 1;

  // Length and a few bytes from both ends: keys of one object that are
  // alike at a glance ("name", "note") usually still differ here.
  static std::uint32_t signatureOf(std::string_view key) {
    const std::size_t size = key.size();
    std::uint32_t head = 0;
    std::uint32_t tail = 0;
    if (size >= 4) {
      std::memcpy(&head, key.data(), 4);
      std::memcpy(&tail, key.data() + size - 4, 4);
    } else if (size > 0) {
      head = static_cast<std::uint8_t>(key[0]) |
             static_cast<std::uint32_t>(static_cast<std::uint8_t>(key[size / 2])) << 8 |
             static_cast<std::uint32_t>(static_cast<std::uint8_t>(key[size - 1])) << 16;
    }
    return (head * 0x9E3779B1u) ^ (tail * 0x85EBCA77u) ^ static_cast<std::uint32_t>(size);
  }

  std::uint8_t slots_[std::size_t{1} << kSlotBits] = {};  // index + 1 of the key, 0 when free
  std::uint32_t signatures_[kLinearLimit];
  bool repeated_ = false;
};

}  // namespace json
