#pragma once
// Reads property lists in every form the app meets (XML and binary through
// libplist; the old-style text and strings-file forms through
// StringsFileParser) and writes the XML form.
//
// Text may be UTF-8 (with or without a byte-order mark) or UTF-16 with a
// byte-order mark, either byte order. Malformed input of any kind gives
// nullopt; nesting deeper than kMaxDepth is refused in every form.
//
// Reading costs time in proportion to the input: containers are walked with
// libplist's iterators, because indexing into an array that libplist read
// from the binary form starts from the array's head every time. A caller
// that knows how large its lists can be (a translation table, say) passes
// tighter Limits, so a hostile file is refused before it is read.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/PropertyListValue.h"

namespace platform {

// What one read may cost. A binary list may share objects; expanded, it may
// hold at most maxObjects values (every object counts, dictionary keys
// included), so a small file cannot unfold into a huge tree. Text forms
// count their values the same way.
struct PropertyListLimits {
  std::size_t maxBytes = std::numeric_limits<std::uint32_t>::max();
  std::size_t maxObjects = 1000000;
};

class PropertyList {
 public:
  enum class Format { XML, Binary, OldStyle };

  static constexpr int kMaxDepth = 128;
  static constexpr std::size_t kMaxObjects = PropertyListLimits{}.maxObjects;

  // `format`, when given, receives the form that was read. Input larger
  // than limits.maxBytes, or holding more values than limits.maxObjects,
  // gives nullopt.
  static std::optional<PropertyListValue> propertyListFromData(std::string_view bytes,
                                                               Format* format = nullptr);
  static std::optional<PropertyListValue> propertyListFromData(std::string_view bytes, Format* format,
                                                               const PropertyListLimits& limits);

  // The XML form. nullopt when the value cannot be written: nesting beyond
  // kMaxDepth, a string that is not UTF-8, or a date outside the years
  // 1933-2069 that the XML writer can express.
  static std::optional<std::string> xmlDataFromPropertyList(const PropertyListValue& value);
  // The XML form of a dictionary with every entry that can be written; the
  // keys of the others (for the reasons above, or a key that is not UTF-8
  // or holds a NUL) are added to `skippedKeys`. nullopt only when libplist
  // fails to write at all.
  static std::optional<std::string> xmlDataFromDictionarySkippingUnwritable(
      const PropertyListValue::Dictionary& dictionary, std::vector<std::string>& skippedKeys);
};

}  // namespace platform
