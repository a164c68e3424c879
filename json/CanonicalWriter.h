#pragma once
// Writes a Value in one exact text form, so that two readings can be compared
// byte for byte: no spaces; dictionary keys sorted by their WTF-8 bytes;
// strings in double quotes with '"' and '\' escaped by a backslash and every
// UTF-16 code unit below 0x20 or from 0x7F up written as \u and four
// lowercase hex digits (a character beyond U+FFFF as its two units, a lone
// surrogate as itself); numbers in the shortest form that reads back to the
// same double, as std::to_chars writes them but without an exponent from
// 1e-6 up to 1e21 (100000, 0.1, -0.25, 1e+21, 1e-08, inf, -0); true, false,
// null.

#include <string>
#include <string_view>

#include "json/Value.h"

namespace json {

class CanonicalWriter {
 public:
  static std::string canonicalForm(const Value& value);

  static void appendValue(std::string& out, const Value& value);
  // The text is WTF-8, as a Value's strings are; plain UTF-8 is a subset.
  static void appendString(std::string& out, std::string_view wtf8);
  static void appendNumber(std::string& out, double number);
};

}  // namespace json
