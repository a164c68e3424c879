#pragma once
// The fields of one event-journal line, in the order they were set, and the
// small JSON writer that turns them into text. Values are strings (UTF-8),
// numbers, booleans, string arrays and nested field sets.
//
//   JournalFields fields;
//   fields.set("name", "Phrase").set("vibrate", true).set("count", 3);
//
// Text is written as valid JSON whatever it holds: quotes, backslashes and
// control characters are escaped, non-ASCII stays UTF-8, and byte sequences
// that are not UTF-8 become U+FFFD so one bad string cannot break a line.
// Numbers that JSON cannot express (NaN, infinities) are written as null,
// and so is optional text that is absent (a message an alert does not have).

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace platform {

class JournalFields {
 public:
  JournalFields& set(std::string key, std::string value);
  JournalFields& set(std::string key, const char* value) { return set(std::move(key), std::string(value)); }
  JournalFields& set(std::string key, std::string_view value) { return set(std::move(key), std::string(value)); }
  // null when there is no text.
  JournalFields& set(std::string key, const std::optional<std::string>& value);
  JournalFields& set(std::string key, bool value);
  JournalFields& set(std::string key, double value);
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  JournalFields& set(std::string key, T value) {
    return setInteger(std::move(key), static_cast<std::int64_t>(value));
  }
  JournalFields& set(std::string key, std::vector<std::string> value);
  JournalFields& set(std::string key, JournalFields value);

  bool empty() const { return entries_.empty(); }
  bool contains(std::string_view key) const;

  // Writes the fields as the members of a JSON object, without the braces,
  // so the journal can put its own members in front. Keys listed in
  // `excluded` are left out.
  void appendMembers(std::string& out, std::initializer_list<std::string_view> excluded = {}) const;
  // The fields as one JSON object.
  std::string toJson() const;

  // Appends `text` as a JSON string literal (with the quotes).
  static void appendString(std::string& out, std::string_view text);
  // Appends a number in the shortest form that reads back to the same value.
  static void appendNumber(std::string& out, double value);

 private:
  using Value = std::variant<std::string, bool, double, std::int64_t, std::vector<std::string>,
                             std::shared_ptr<JournalFields>, std::monostate>;

  JournalFields& setInteger(std::string key, std::int64_t value);
  JournalFields& put(std::string key, Value value);
  static void appendValue(std::string& out, const Value& value);

  std::vector<std::pair<std::string, Value>> entries_;
};

}  // namespace platform
