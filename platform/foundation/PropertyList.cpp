#include "platform/foundation/PropertyList.h"

#include <plist/plist.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>

#include "platform/foundation/BinaryPlistChecker.h"
#include "platform/foundation/CNumericLocale.h"
#include "platform/foundation/StringsFileParser.h"
#include "platform/foundation/UnicodeText.h"

namespace platform {

namespace {

// libplist counts dates from 2001-01-01 00:00:00 UTC.
constexpr double kSecondsFrom1970To2001 = 978307200.0;

struct PlistDeleter {
  void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistHolder = std::unique_ptr<void, PlistDeleter>;

// How many more values a read may still produce.
struct ObjectBudget {
  std::size_t remaining;
  bool take() {
    if (remaining == 0) {
      return false;
    }
    --remaining;
    return true;
  }
};

std::optional<PropertyListValue> fromPlist(plist_t node, int depth, ObjectBudget& budget) {
  if (node == nullptr || depth > PropertyList::kMaxDepth || !budget.take()) {
    return std::nullopt;
  }
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      std::uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return PropertyListValue(value != 0);
    }
    case PLIST_UINT: {
      std::uint64_t value = 0;
      plist_get_uint_val(node, &value);
      // Negative integers come back in two's complement.
      return PropertyListValue(static_cast<std::int64_t>(value));
    }
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return PropertyListValue(value);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
      std::uint64_t length = 0;
      const char* text = plist_get_string_ptr(node, &length);
      std::string value = text != nullptr ? std::string(text, length) : std::string();
      if (!UnicodeText::isValidUTF8(value)) {
        return std::nullopt;
      }
      return PropertyListValue(std::move(value));
    }
    case PLIST_DATA: {
      std::uint64_t length = 0;
      const char* bytes = plist_get_data_ptr(node, &length);
      PropertyListValue::Data data;
      if (bytes != nullptr) {
        data.assign(reinterpret_cast<const std::uint8_t*>(bytes),
                    reinterpret_cast<const std::uint8_t*>(bytes) + length);
      }
      return PropertyListValue(std::move(data));
    }
    case PLIST_DATE: {
      std::int32_t seconds = 0;
      std::int32_t microseconds = 0;
      plist_get_date_val(node, &seconds, &microseconds);
      return PropertyListValue(Date::dateWithTimeIntervalSince1970(
          kSecondsFrom1970To2001 + seconds + microseconds / 1e6));
    }
    case PLIST_ARRAY: {
      PropertyListValue::Array array;
      array.reserve(plist_array_get_size(node));
      plist_array_iter iterator = nullptr;
      plist_array_new_iter(node, &iterator);
      bool ok = iterator != nullptr;
      while (ok) {
        plist_t item = nullptr;
        plist_array_next_item(node, iterator, &item);
        if (item == nullptr) {
          break;
        }
        auto element = fromPlist(item, depth + 1, budget);
        ok = element.has_value();
        if (ok) {
          array.push_back(std::move(*element));
        }
      }
      std::free(iterator);
      if (!ok) {
        return std::nullopt;
      }
      return PropertyListValue(std::move(array));
    }
    case PLIST_DICT: {
      PropertyListValue::Dictionary dictionary;
      plist_dict_iter iterator = nullptr;
      plist_dict_new_iter(node, &iterator);
      bool ok = iterator != nullptr;
      while (ok) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iterator, &key, &value);
        if (key == nullptr) {
          break;
        }
        std::string keyText(key);
        std::free(key);
        // The key is an object of its own in the binary form; it counts.
        auto element = budget.take() ? fromPlist(value, depth + 1, budget) : std::nullopt;
        if (!element || !UnicodeText::isValidUTF8(keyText)) {
          ok = false;
          break;
        }
        dictionary.insert_or_assign(std::move(keyText), std::move(*element));
      }
      std::free(iterator);
      if (!ok) {
        return std::nullopt;
      }
      return PropertyListValue(std::move(dictionary));
    }
    default:
      // UIDs (keyed archives) and anything newer have no place in our value.
      return std::nullopt;
  }
}

plist_t toPlist(const PropertyListValue& value, int depth) {
  if (depth > PropertyList::kMaxDepth) {
    return nullptr;
  }
  switch (value.type()) {
    case PropertyListValue::Type::String: {
      const std::string& text = *value.asString();
      // libplist takes C strings: an embedded NUL would cut the text short.
      if (text.find('\0') != std::string::npos || !UnicodeText::isValidUTF8(text)) {
        return nullptr;
      }
      return plist_new_string(text.c_str());
    }
    case PropertyListValue::Type::Integer:
      return plist_new_uint(static_cast<std::uint64_t>(*value.asInteger()));
    case PropertyListValue::Type::Real: {
      const double real = *value.asReal();
      return std::isfinite(real) ? plist_new_real(real) : nullptr;
    }
    case PropertyListValue::Type::Boolean:
      return plist_new_bool(*value.asBoolean() ? 1 : 0);
    case PropertyListValue::Type::Data: {
      const auto& data = *value.asData();
      return plist_new_data(reinterpret_cast<const char*>(data.data()), data.size());
    }
    case PropertyListValue::Type::Date: {
      const double since2001 = value.asDate()->timeIntervalSince1970() - kSecondsFrom1970To2001;
      if (!std::isfinite(since2001) || since2001 < std::numeric_limits<std::int32_t>::min() ||
          since2001 >= std::numeric_limits<std::int32_t>::max()) {
        return nullptr;
      }
      const double whole = std::floor(since2001);
      return plist_new_date(static_cast<std::int32_t>(whole),
                            static_cast<std::int32_t>((since2001 - whole) * 1e6));
    }
    case PropertyListValue::Type::Array: {
      PlistHolder array(plist_new_array());
      for (const auto& element : *value.asArray()) {
        plist_t child = toPlist(element, depth + 1);
        if (child == nullptr) {
          return nullptr;
        }
        plist_array_append_item(array.get(), child);
      }
      return array.release();
    }
    case PropertyListValue::Type::Dictionary: {
      PlistHolder dictionary(plist_new_dict());
      for (const auto& [key, element] : *value.asDictionary()) {
        plist_t child = toPlist(element, depth + 1);
        if (child == nullptr || key.find('\0') != std::string::npos ||
            !UnicodeText::isValidUTF8(key)) {
          if (child != nullptr) {
            plist_free(child);
          }
          return nullptr;
        }
        plist_dict_set_item(dictionary.get(), key.c_str(), child);
      }
      return dictionary.release();
    }
  }
  return nullptr;
}

bool looksLikeXML(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) {
    return false;
  }
  const std::string_view rest = text.substr(start);
  // Old-style data also starts with "<", but a hex digit or space follows.
  return rest.starts_with("<?") || rest.starts_with("<!") || rest.starts_with("<plist");
}

// libplist reads deep XML fine but frees its tree recursively, so a deeply
// nested document would exhaust the stack on the way out. Count the nesting
// of real <dict> and <array> elements (skipping comments, CDATA and
// processing instructions, where such text is not markup) and refuse
// documents deeper than we would accept anyway.
bool xmlNestingWithinLimit(std::string_view text) {
  auto isNameEnd = [](std::string_view rest, std::size_t at) {
    return at >= rest.size() || rest[at] == '>' || rest[at] == '/' || rest[at] == ' ' ||
           rest[at] == '\t' || rest[at] == '\r' || rest[at] == '\n';
  };
  int depth = 0;
  std::size_t i = text.find('<');
  while (i != std::string_view::npos) {
    const std::string_view rest = text.substr(i + 1);
    std::size_t next = i + 1;
    if (rest.starts_with("!--") || rest.starts_with("![CDATA[") || rest.starts_with("?")) {
      const std::string_view closer = rest.starts_with("!--") ? "-->" : rest.starts_with("?") ? "?>" : "]]>";
      const std::size_t end = text.find(closer, i + 1);
      if (end == std::string_view::npos) {
        return false;
      }
      next = end + closer.size();
    } else {
      const std::size_t close = text.find('>', i + 1);
      const bool selfClosing = close != std::string_view::npos && text[close - 1] == '/';
      const bool opens = (rest.starts_with("dict") && isNameEnd(rest, 4)) ||
                         (rest.starts_with("array") && isNameEnd(rest, 5));
      const bool closes = (rest.starts_with("/dict") && isNameEnd(rest, 5)) ||
                          (rest.starts_with("/array") && isNameEnd(rest, 6));
      if (opens && !selfClosing && ++depth > PropertyList::kMaxDepth) {
        return false;
      }
      if (closes) {
        --depth;
      }
    }
    i = text.find('<', next);
  }
  return true;
}

std::optional<std::string> xmlOf(plist_t root) {
  char* xml = nullptr;
  std::uint32_t length = 0;
  {
    const CNumericLocale cNumbers;  // libplist writes <real> with the C library
    plist_to_xml(root, &xml, &length);
  }
  if (xml == nullptr) {
    return std::nullopt;
  }
  std::string out(xml, length);
  plist_to_xml_free(xml);
  return out;
}

// Counts the values of a parsed tree the way fromPlist does (a dictionary's
// keys included); false once the budget is spent. The tree is at most
// kMaxDepth deep, so the recursion is bounded.
bool withinBudget(const PropertyListValue& value, ObjectBudget& budget) {
  if (!budget.take()) {
    return false;
  }
  if (const auto* array = value.asArray()) {
    for (const auto& element : *array) {
      if (!withinBudget(element, budget)) {
        return false;
      }
    }
  } else if (const auto* dictionary = value.asDictionary()) {
    for (const auto& [key, element] : *dictionary) {
      if (!budget.take() || !withinBudget(element, budget)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

std::optional<PropertyListValue> PropertyList::propertyListFromData(std::string_view bytes,
                                                                    Format* format) {
  return propertyListFromData(bytes, format, PropertyListLimits{});
}

std::optional<PropertyListValue> PropertyList::propertyListFromData(std::string_view bytes, Format* format,
                                                                    const PropertyListLimits& limits) {
  if (bytes.size() > std::numeric_limits<std::uint32_t>::max() || bytes.size() > limits.maxBytes) {
    return std::nullopt;
  }
  ObjectBudget budget{limits.maxObjects};
  if (bytes.starts_with("bplist")) {
    if (!BinaryPlistChecker::isWithinLimits(bytes, kMaxDepth, limits.maxObjects)) {
      return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_bin(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    PlistHolder holder(root);
    auto value = fromPlist(root, 0, budget);
    if (value && format != nullptr) {
      *format = Format::Binary;
    }
    return value;
  }
  const auto text = UnicodeText::decodeByteOrderMarked(bytes);
  if (!text) {
    return std::nullopt;
  }
  if (looksLikeXML(*text)) {
    if (!xmlNestingWithinLimit(*text)) {
      return std::nullopt;
    }
    plist_t root = nullptr;
    {
      const CNumericLocale cNumbers;  // libplist reads <real> with strtod
      plist_from_xml(text->data(), static_cast<std::uint32_t>(text->size()), &root);
    }
    PlistHolder holder(root);
    auto value = fromPlist(root, 0, budget);
    if (value && format != nullptr) {
      *format = Format::XML;
    }
    return value;
  }
  auto value = StringsFileParser::parse(*text);
  if (value && !withinBudget(*value, budget)) {
    return std::nullopt;
  }
  if (value && format != nullptr) {
    *format = Format::OldStyle;
  }
  return value;
}

std::optional<std::string> PropertyList::xmlDataFromPropertyList(const PropertyListValue& value) {
  PlistHolder root(toPlist(value, 0));
  if (!root) {
    return std::nullopt;
  }
  return xmlOf(root.get());
}

std::optional<std::string> PropertyList::xmlDataFromDictionarySkippingUnwritable(
    const PropertyListValue::Dictionary& dictionary, std::vector<std::string>& skippedKeys) {
  PlistHolder root(plist_new_dict());
  for (const auto& [key, element] : dictionary) {
    const bool writableKey = key.find('\0') == std::string::npos && UnicodeText::isValidUTF8(key);
    plist_t child = writableKey ? toPlist(element, 1) : nullptr;
    if (child == nullptr) {
      skippedKeys.push_back(key);
      continue;
    }
    plist_dict_set_item(root.get(), key.c_str(), child);
  }
  return xmlOf(root.get());
}

}  // namespace platform
