#include "platform/foundation/StringsFileParser.h"

#include <cstdint>

#include "platform/foundation/UnicodeText.h"

namespace platform {

namespace {

bool isUnquotedCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '/' || c == ':' || c == '.' || c == '-';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<PropertyListValue> StringsFileParser::parse(std::string_view utf8Text) {
  StringsFileParser parser(utf8Text);
  if (!parser.skipWhitespaceAndComments() || parser.atEnd()) {
    return std::nullopt;
  }
  std::optional<PropertyListValue> result;
  const char first = parser.peek();
  if (first == '{' || first == '(' || first == '<') {
    result = parser.parseValue(0);
  } else {
    // Either a lone string or the strings-file form, which starts with a
    // key followed by "=" or ";".
    const std::size_t start = parser.position_;
    auto text = parser.parseString();
    if (!text || !parser.skipWhitespaceAndComments()) {
      return std::nullopt;
    }
    if (parser.atEnd()) {
      return PropertyListValue(std::move(*text));
    }
    if (parser.peek() != '=' && parser.peek() != ';') {
      return std::nullopt;
    }
    parser.position_ = start;
    result = parser.parseDictionary(1, false);
  }
  if (!result || !parser.skipWhitespaceAndComments() || !parser.atEnd()) {
    return std::nullopt;
  }
  return result;
}

bool StringsFileParser::skipWhitespaceAndComments() {
  while (!atEnd()) {
    const char c = peek();
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      ++position_;
    } else if (text_.substr(position_, 2) == "//") {
      const std::size_t end = text_.find('\n', position_);
      position_ = end == std::string_view::npos ? text_.size() : end + 1;
    } else if (text_.substr(position_, 2) == "/*") {
      const std::size_t end = text_.find("*/", position_ + 2);
      if (end == std::string_view::npos) {
        return false;
      }
      position_ = end + 2;
    } else {
      break;
    }
  }
  return true;
}

std::optional<PropertyListValue> StringsFileParser::parseValue(int depth) {
  if (!skipWhitespaceAndComments() || atEnd()) {
    return std::nullopt;
  }
  switch (peek()) {
    case '{':
    case '(': {
      if (depth >= kMaxDepth) {
        return std::nullopt;
      }
      const bool isDictionary = peek() == '{';
      ++position_;
      return isDictionary ? parseDictionary(depth + 1, true) : parseArray(depth + 1);
    }
    case '<':
      ++position_;
      return parseData();
    default:
      if (auto text = parseString()) {
        return PropertyListValue(std::move(*text));
      }
      return std::nullopt;
  }
}

std::optional<std::string> StringsFileParser::parseString() {
  if (atEnd()) {
    return std::nullopt;
  }
  if (peek() == '"' || peek() == '\'') {
    return parseQuoted();
  }
  const std::size_t start = position_;
  while (!atEnd() && isUnquotedCharacter(peek())) {
    ++position_;
  }
  if (position_ == start) {
    return std::nullopt;
  }
  return std::string(text_.substr(start, position_ - start));
}

std::optional<std::string> StringsFileParser::parseQuoted() {
  const char quote = text_[position_++];
  std::string out;
  while (!atEnd()) {
    const char c = text_[position_++];
    if (c == quote) {
      return out;
    }
    if (c == '\\') {
      if (!parseEscape(out)) {
        return std::nullopt;
      }
    } else {
      out += c;
    }
  }
  return std::nullopt;  // No closing quote.
}

// Called just after a backslash; appends what the escape stands for.
bool StringsFileParser::parseEscape(std::string& out) {
  if (atEnd()) {
    return false;
  }
  const char c = text_[position_++];
  switch (c) {
    case 'n': out += '\n'; return true;
    case 't': out += '\t'; return true;
    case 'r': out += '\r'; return true;
    case 'a': out += '\a'; return true;
    case 'b': out += '\b'; return true;
    case 'f': out += '\f'; return true;
    case 'v': out += '\v'; return true;
    default: break;
  }
  if (c >= '0' && c <= '7') {
    std::uint32_t value = static_cast<std::uint32_t>(c - '0');
    for (int digits = 1; digits < 3 && !atEnd() && peek() >= '0' && peek() <= '7'; ++digits) {
      value = value * 8 + static_cast<std::uint32_t>(text_[position_++] - '0');
    }
    if (value > 0xFF) {
      return false;
    }
    UnicodeText::appendUTF8(out, value);
    return true;
  }
  if (c == 'u' || c == 'U') {
    auto readHex = [this]() -> std::optional<std::uint32_t> {
      std::uint32_t value = 0;
      int digits = 0;
      while (digits < 4 && !atEnd() && hexValue(peek()) >= 0) {
        value = value * 16 + static_cast<std::uint32_t>(hexValue(text_[position_++]));
        ++digits;
      }
      if (digits == 0) {
        return std::nullopt;
      }
      return value;
    };
    auto code = readHex();
    if (!code || (*code >= 0xDC00 && *code <= 0xDFFF)) {
      return false;
    }
    if (*code >= 0xD800 && *code <= 0xDBFF) {
      // A high surrogate must be followed by an escaped low surrogate.
      if (text_.substr(position_, 2) != "\\u" && text_.substr(position_, 2) != "\\U") {
        return false;
      }
      position_ += 2;
      const auto low = readHex();
      if (!low || *low < 0xDC00 || *low > 0xDFFF) {
        return false;
      }
      *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
    }
    UnicodeText::appendUTF8(out, *code);
    return true;
  }
  // \" \' \\ and any other character stand for the character itself.
  out += c;
  return true;
}

std::optional<PropertyListValue> StringsFileParser::parseDictionary(int depth, bool braced) {
  PropertyListValue::Dictionary dictionary;
  for (;;) {
    if (!skipWhitespaceAndComments()) {
      return std::nullopt;
    }
    if (atEnd()) {
      if (braced) {
        return std::nullopt;
      }
      break;
    }
    if (braced && peek() == '}') {
      ++position_;
      break;
    }
    auto key = parseString();
    if (!key || !skipWhitespaceAndComments() || atEnd()) {
      return std::nullopt;
    }
    if (peek() == ';') {
      ++position_;
      PropertyListValue self(*key);
      dictionary.insert_or_assign(std::move(*key), std::move(self));
      continue;
    }
    if (peek() != '=') {
      return std::nullopt;
    }
    ++position_;
    auto value = parseValue(depth);
    if (!value || !skipWhitespaceAndComments()) {
      return std::nullopt;
    }
    dictionary.insert_or_assign(std::move(*key), std::move(*value));
    if (!atEnd() && peek() == ';') {
      ++position_;
    } else if (!(braced && !atEnd() && peek() == '}')) {
      // Only the last pair of a braced dictionary may leave out its ";".
      return std::nullopt;
    }
  }
  return PropertyListValue(std::move(dictionary));
}

std::optional<PropertyListValue> StringsFileParser::parseArray(int depth) {
  PropertyListValue::Array array;
  for (;;) {
    if (!skipWhitespaceAndComments() || atEnd()) {
      return std::nullopt;
    }
    if (peek() == ')') {
      ++position_;
      return PropertyListValue(std::move(array));
    }
    auto value = parseValue(depth);
    if (!value || !skipWhitespaceAndComments() || atEnd()) {
      return std::nullopt;
    }
    array.push_back(std::move(*value));
    if (peek() == ',') {
      ++position_;
    } else if (peek() != ')') {
      return std::nullopt;
    }
  }
}

std::optional<PropertyListValue> StringsFileParser::parseData() {
  PropertyListValue::Data bytes;
  int high = -1;
  while (!atEnd()) {
    const char c = text_[position_++];
    if (c == '>') {
      if (high >= 0) {
        return std::nullopt;  // An odd number of hex digits.
      }
      return PropertyListValue(std::move(bytes));
    }
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      continue;
    }
    const int value = hexValue(c);
    if (value < 0) {
      return std::nullopt;
    }
    if (high < 0) {
      high = value;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + value));
      high = -1;
    }
  }
  return std::nullopt;
}

}  // namespace platform
