#pragma once
// Reads the old-style text property-list form and the strings-file form
// ("key" = "value"; pairs without braces) from UTF-8 text.
//
// Grammar: a value is a quoted string ("..." or '...'), an unquoted string
// (letters, digits and _ $ / : . -), a dictionary { key = value; ... }, an
// array ( value, value ) or data < hex digits >. Comments are // to the end
// of the line and /* ... */. In quoted strings the escapes \n \t \r \a \b
// \f \v \" \' \\ , \uXXXX and \UXXXX (1 to 4 hex digits; surrogate pairs
// combine) and octal \NNN (up to 0377, read as Latin-1) are understood; any
// other escaped character stands for itself. In the strings-file form
// `"key";` alone maps the key to itself. A later duplicate key wins.
//
// Malformed input gives nullopt, never a crash: the nesting depth is
// limited, so hostile input cannot exhaust the stack.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/PropertyListValue.h"

namespace platform {

class StringsFileParser {
 public:
  // The most containers that may be open at once.
  static constexpr int kMaxDepth = 128;

  // nullopt for malformed text and for text with no value at all (only
  // white space and comments).
  static std::optional<PropertyListValue> parse(std::string_view utf8Text);

 private:
  explicit StringsFileParser(std::string_view text) : text_(text) {}

  bool atEnd() const { return position_ >= text_.size(); }
  char peek() const { return text_[position_]; }
  // False for an unterminated block comment.
  bool skipWhitespaceAndComments();
  // `depth` counts the containers already open around the value.
  std::optional<PropertyListValue> parseValue(int depth);
  std::optional<std::string> parseString();
  std::optional<std::string> parseQuoted();
  bool parseEscape(std::string& out);
  std::optional<PropertyListValue> parseDictionary(int depth, bool braced);
  std::optional<PropertyListValue> parseArray(int depth);
  std::optional<PropertyListValue> parseData();

  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace platform
