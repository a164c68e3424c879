#include "platform/foundation/JournalFields.h"

#include <charconv>
#include <cmath>

namespace platform {

namespace {

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0 when
// it is not one (overlong forms, surrogates and values past U+10FFFF count
// as malformed).
std::size_t utf8SequenceLength(std::string_view s) {
  const auto b0 = static_cast<unsigned char>(s[0]);
  std::size_t length = 0;
  char32_t min = 0;
  char32_t cp = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, min = 0x80, cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, min = 0x800, cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, min = 0x10000, cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

JournalFields& JournalFields::put(std::string key, Value value) {
  for (auto& entry : entries_) {
    if (entry.first == key) {
      entry.second = std::move(value);  // a key appears once; the last value wins
      return *this;
    }
  }
  entries_.emplace_back(std::move(key), std::move(value));
  return *this;
}

JournalFields& JournalFields::set(std::string key, std::string value) {
  return put(std::move(key), std::move(value));
}
JournalFields& JournalFields::set(std::string key, const std::optional<std::string>& value) {
  if (!value) return put(std::move(key), std::monostate{});
  return put(std::move(key), *value);
}
JournalFields& JournalFields::set(std::string key, bool value) { return put(std::move(key), value); }
JournalFields& JournalFields::set(std::string key, double value) { return put(std::move(key), value); }
JournalFields& JournalFields::setInteger(std::string key, std::int64_t value) {
  return put(std::move(key), value);
}
JournalFields& JournalFields::set(std::string key, std::vector<std::string> value) {
  return put(std::move(key), std::move(value));
}
JournalFields& JournalFields::set(std::string key, JournalFields value) {
  return put(std::move(key), std::make_shared<JournalFields>(std::move(value)));
}

bool JournalFields::contains(std::string_view key) const {
  for (const auto& entry : entries_) {
    if (entry.first == key) return true;
  }
  return false;
}

void JournalFields::appendString(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.push_back('"');
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = utf8SequenceLength(text.substr(i));
      if (length == 0) {
        out.append("\xEF\xBF\xBD");  // U+FFFD for a byte that starts no valid sequence
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"': out.append("\\\""); break;
      case '\\': out.append("\\\\"); break;
      case '\n': out.append("\\n"); break;
      case '\r': out.append("\\r"); break;
      case '\t': out.append("\\t"); break;
      case '\b': out.append("\\b"); break;
      case '\f': out.append("\\f"); break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out.append("\\u00");
          out.push_back(kHex[c >> 4]);
          out.push_back(kHex[c & 0xF]);
        } else {
          out.push_back(static_cast<char>(c));
        }
    }
    ++i;
  }
  out.push_back('"');
}

void JournalFields::appendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out.append("null");
    return;
  }
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

void JournalFields::appendValue(std::string& out, const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) {
    appendString(out, *text);
  } else if (const auto* flag = std::get_if<bool>(&value)) {
    out.append(*flag ? "true" : "false");
  } else if (const auto* number = std::get_if<double>(&value)) {
    appendNumber(out, *number);
  } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    out.append(std::to_string(*integer));
  } else if (const auto* list = std::get_if<std::vector<std::string>>(&value)) {
    out.push_back('[');
    for (std::size_t i = 0; i < list->size(); ++i) {
      if (i > 0) out.push_back(',');
      appendString(out, (*list)[i]);
    }
    out.push_back(']');
  } else if (const auto* nested = std::get_if<std::shared_ptr<JournalFields>>(&value)) {
    out.append((*nested)->toJson());
  } else {
    out.append("null");
  }
}

void JournalFields::appendMembers(std::string& out,
                                  std::initializer_list<std::string_view> excluded) const {
  bool first = true;
  for (const auto& [key, value] : entries_) {
    bool skip = false;
    for (std::string_view name : excluded) skip = skip || name == key;
    if (skip) continue;
    if (!first) out.push_back(',');
    first = false;
    appendString(out, key);
    out.push_back(':');
    appendValue(out, value);
  }
}

std::string JournalFields::toJson() const {
  std::string out = "{";
  appendMembers(out);
  out.push_back('}');
  return out;
}

}  // namespace platform
