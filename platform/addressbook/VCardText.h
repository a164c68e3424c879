#pragma once
// The text rules of vCard lines: escaping of values, quoting of parameter
// values, and folding of long lines. Shared by the reader and the writer so
// that what one writes the other reads back.

#include <string>
#include <string_view>
#include <vector>

namespace platform::addressbook {

class VCardText {
 public:
  // The longest line, in octets, before it is folded.
  static constexpr std::size_t kMaxLineOctets = 75;

  // Text as a card can hold it, and so as an entry read from a card holds
  // it: UTF-8 (a byte that is not part of well-formed UTF-8 becomes
  // U+FFFD), every line break (CR LF, CR or LF) an LF, and no other control
  // characters but tab, since they have no place in a vCard.
  static std::string storedText(std::string_view text);
  // A text value as it may stand in a line: the stored text with
  // backslash, comma, semicolon and line breaks escaped, so no value can
  // end its line or split into more components.
  static std::string escapeText(std::string_view value);
  // The inverse of escapeText, giving stored text whatever a foreign card
  // holds, so that what is read is written back unchanged; an unknown
  // escape keeps its backslash.
  static std::string unescapeText(std::string_view raw);
  // Splits a raw (still escaped) value at every separator that is not
  // escaped.
  static std::vector<std::string_view> splitUnescaped(std::string_view raw, char separator);

  // A parameter value, always in double quotes, with ^, line breaks and
  // double quotes carried as ^^, ^n and ^' (RFC 6868).
  static std::string encodeParameterValue(std::string_view value);
  // The inverse of the caret carrying (quotes are already gone).
  static std::string decodeParameterValue(std::string_view raw);

  // Appends a logical line and its CRLF, folded so that no physical line is
  // longer than kMaxLineOctets and no UTF-8 sequence is split.
  static void appendFolded(std::string& out, std::string_view line);

  // ASCII letters lowered, everything else as it is: vCard names, types
  // and schemes are ASCII and compared without case.
  static std::string asciiLowercase(std::string_view text);

  // The text with every byte that is not part of well-formed UTF-8 replaced
  // by U+FFFD.
  static std::string validUTF8(std::string_view text);

 private:
  // The escapes undone, the text as it was.
  static std::string unescaped(std::string_view raw);
};

}  // namespace platform::addressbook
