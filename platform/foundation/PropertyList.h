#pragma once
// Reads property lists in every form the app meets (XML and binary through
// libplist; the old-style text and strings-file forms through
// StringsFileParser) and writes the XML form.
//
// Text may be UTF-8 (with or without a byte-order mark) or UTF-16 with a
// byte-order mark, either byte order. Malformed input of any kind gives
// nullopt; nesting deeper than kMaxDepth is refused in every form.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/PropertyListValue.h"

namespace platform {

class PropertyList {
 public:
  enum class Format { XML, Binary, OldStyle };

  static constexpr int kMaxDepth = 128;
  // A binary list may share objects; expanded, it may hold at most this
  // many values, so a small file cannot unfold into a huge tree.
  static constexpr std::size_t kMaxObjects = 1000000;

  // `format`, when given, receives the form that was read.
  static std::optional<PropertyListValue> propertyListFromData(std::string_view bytes,
                                                               Format* format = nullptr);

  // The XML form. nullopt when the value cannot be written: nesting beyond
  // kMaxDepth, a string that is not UTF-8, or a date outside the years
  // 1933-2069 that the XML writer can express.
  static std::optional<std::string> xmlDataFromPropertyList(const PropertyListValue& value);
};

}  // namespace platform
