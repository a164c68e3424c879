#include "json/CanonicalWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "json/Utf8.h"

namespace json {

namespace {

void appendUnitEscape(std::string& out, char32_t unit) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(unit >> shift) & 0xF]);
}

}  // namespace

std::string CanonicalWriter::canonicalForm(const Value& value) {
  std::string out;
  appendValue(out, value);
  return out;
}

void CanonicalWriter::appendValue(std::string& out, const Value& value) {
  switch (value.type()) {
    case Value::Type::Null: out += "null"; break;
    case Value::Type::Boolean: out += *value.boolValue() ? "true" : "false"; break;
    case Value::Type::Number: appendNumber(out, *value.numberValue()); break;
    case Value::Type::String: appendString(out, value.wtf8()); break;
    case Value::Type::Array: {
      out.push_back('[');
      bool first = true;
      for (const Value& element : value.elements()) {
        if (!first) out.push_back(',');
        first = false;
        appendValue(out, element);
      }
      out.push_back(']');
      break;
    }
    case Value::Type::Dictionary: {
      std::vector<const Member*> members;
      members.reserve(value.size());
      for (const Member& member : value.members()) members.push_back(&member);
      std::sort(members.begin(), members.end(),
                [](const Member* a, const Member* b) { return a->key.wtf8() < b->key.wtf8(); });
      out.push_back('{');
      bool first = true;
      for (const Member* member : members) {
        if (!first) out.push_back(',');
        first = false;
        appendString(out, member->key.wtf8());
        out.push_back(':');
        appendValue(out, member->value);
      }
      out.push_back('}');
      break;
    }
  }
}

void CanonicalWriter::appendString(std::string& out, std::string_view wtf8) {
  out.push_back('"');
  const char* p = wtf8.data();
  const char* end = p + wtf8.size();
  while (p < end) {
    const char32_t cp = Utf8::nextCodePoint(p, end);
    if (cp == '"' || cp == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(cp));
    } else if (cp >= 0x20 && cp < 0x7F) {
      out.push_back(static_cast<char>(cp));
    } else if (cp >= 0x10000) {
      appendUnitEscape(out, 0xD800 + ((cp - 0x10000) >> 10));
      appendUnitEscape(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      appendUnitEscape(out, cp);
    }
  }
  out.push_back('"');
}

void CanonicalWriter::appendNumber(std::string& out, double number) {
  // Shortest digits that read back to the same double. From 1e-6 up to
  // 1e21 they are written without an exponent, so that 100000 reads as
  // 100000 and not 1e+05; outside, as to_chars chooses (1e+21, 1e-07).
  char buffer[400];
  const double magnitude = std::fabs(number);
  const bool plain = magnitude == 0 || (magnitude >= 1e-6 && magnitude < 1e21);
  const auto result = plain ? std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed)
                            : std::to_chars(buffer, buffer + sizeof buffer, number);
  out.append(buffer, result.ptr);
}

}  // namespace json
