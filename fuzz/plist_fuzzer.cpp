// Fuzzes the translation-table reader the way the localizer uses it: the
// bytes of a downloaded strings file, in any form a property list comes in
// (XML, binary, old-style text, UTF-16 with a byte-order mark), under the
// localizer's size and value bounds. What must hold for any input:
// - reading the same bytes twice gives the same table (no hidden state);
// - every key and translation of the table, and every string and key of
//   the list under it, is UTF-8, as both promise;
// - a list read within the bounds holds no more values than they allow;
// - a list that reads, written as XML and read again, is the same list;
// - text that reads as UTF-8 reads the same as UTF-16 with either mark.
// A bounded read must also be cheap; libFuzzer's -timeout catches one that
// is not.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ads/PennantLocalizer.h"
#include "fuzz/FuzzCheck.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UnicodeText.h"

namespace {

using pennant::PennantLocalizer;
using platform::PropertyList;
using platform::PropertyListValue;
using platform::UnicodeText;

// Values as the reader counts them: every value, and every dictionary key.
std::size_t valueCount(const PropertyListValue& value) {
  std::size_t count = 1;
  if (const auto* array = value.asArray()) {
    for (const auto& element : *array) count += valueCount(element);
  } else if (const auto* dictionary = value.asDictionary()) {
    for (const auto& [key, element] : *dictionary) count += 1 + valueCount(element);
  }
  return count;
}

// Strings and keys of a list are UTF-8, whatever form it was read from.
bool allTextIsUTF8(const PropertyListValue& value) {
  if (const auto* text = value.asString()) return UnicodeText::isValidUTF8(*text);
  if (const auto* array = value.asArray()) {
    for (const auto& element : *array) {
      if (!allTextIsUTF8(element)) return false;
    }
  } else if (const auto* dictionary = value.asDictionary()) {
    for (const auto& [key, element] : *dictionary) {
      if (!UnicodeText::isValidUTF8(key) || !allTextIsUTF8(element)) return false;
    }
  }
  return true;
}

// Whether anything in the list could change on its way through the XML
// form for reasons of the form itself: reals and dates are written as
// decimal text, which need not hold every bit.
bool holdsRealsOrDates(const PropertyListValue& value) {
  if (value.type() == PropertyListValue::Type::Real || value.type() == PropertyListValue::Type::Date) return true;
  if (const auto* array = value.asArray()) {
    for (const auto& element : *array) {
      if (holdsRealsOrDates(element)) return true;
    }
  } else if (const auto* dictionary = value.asDictionary()) {
    for (const auto& [key, element] : *dictionary) {
      if (holdsRealsOrDates(element)) return true;
    }
  }
  return false;
}

// The UTF-16 form of UTF-8 text, with its byte-order mark.
std::string utf16WithMark(std::string_view utf8, bool bigEndian) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  auto unit = [&](std::uint32_t u) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += length;
    if (code >= 0x10000) {
      code -= 0x10000;
      unit(0xD800 + (code >> 10));
      unit(0xDC00 + (code & 0x3FF));
    } else {
      unit(code);
    }
  }
  return out;
}

void checkTable(std::string_view bytes) {
  const auto table = PennantLocalizer::stringsTableFromData(bytes);
  fuzz::check(PennantLocalizer::stringsTableFromData(bytes) == table, "a strings file reads the same table twice");
  for (const auto& [key, translation] : table) {
    fuzz::check(UnicodeText::isValidUTF8(key) && UnicodeText::isValidUTF8(translation),
                "every key and translation of the table is UTF-8");
  }
}

void checkBoundedList(std::string_view bytes) {
  const platform::PropertyListLimits limits{PennantLocalizer::kMaximumStringsFileBytes,
                                            PennantLocalizer::kMaximumStringsFileValues};
  PropertyList::Format format{};
  const auto list = PropertyList::propertyListFromData(bytes, &format, limits);
  if (!list) return;
  fuzz::check(bytes.size() <= limits.maxBytes, "a list larger than the byte bound is refused");
  fuzz::check(valueCount(*list) <= limits.maxObjects, "a list read within the bounds holds no more values");
  fuzz::check(allTextIsUTF8(*list), "every string and key of a list is UTF-8");

  if (const auto xml = PropertyList::xmlDataFromPropertyList(*list); xml && !holdsRealsOrDates(*list)) {
    PropertyList::Format xmlFormat{};
    const auto reread = PropertyList::propertyListFromData(*xml, &xmlFormat);
    fuzz::check(reread && xmlFormat == PropertyList::Format::XML && *reread == *list,
                "a list written as XML reads back the same");
  }
}

void checkUTF16(std::string_view bytes) {
  // The reader takes one UTF-8 mark off; a second one is text.
  std::string_view text = bytes;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (bytes.starts_with("bplist") || !UnicodeText::isValidUTF8(text)) return;
  const auto fromUTF8 = PropertyList::propertyListFromData(bytes);
  for (const bool bigEndian : {false, true}) {
    const auto fromUTF16 = PropertyList::propertyListFromData(utf16WithMark(text, bigEndian));
    fuzz::check(fromUTF16.has_value() == fromUTF8.has_value() && (!fromUTF8 || *fromUTF16 == *fromUTF8),
                "UTF-16 text reads as the same text in UTF-8 does");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  checkTable(bytes);
  checkBoundedList(bytes);
  checkUTF16(bytes);
  return 0;
}
