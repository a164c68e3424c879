#pragma once
// One value of a property list: a string (UTF-8), an integer, a real, a
// boolean, raw data, a date, an array of values or a dictionary from string
// keys to values. A plain value type: copies are deep, == compares content.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/foundation/Date.h"

namespace platform {

class PropertyListValue {
 public:
  using Array = std::vector<PropertyListValue>;
  // Sorted by key, so that written files are the same from run to run.
  using Dictionary = std::map<std::string, PropertyListValue>;
  using Data = std::vector<std::uint8_t>;

  enum class Type { String, Integer, Real, Boolean, Data, Date, Array, Dictionary };

  // The empty string.
  PropertyListValue() = default;
  PropertyListValue(std::string value) : storage_(std::move(value)) {}
  PropertyListValue(const char* value) : storage_(std::string(value)) {}
  PropertyListValue(int value) : storage_(static_cast<std::int64_t>(value)) {}
  PropertyListValue(std::int64_t value) : storage_(value) {}
  PropertyListValue(double value) : storage_(value) {}
  PropertyListValue(bool value) : storage_(value) {}
  PropertyListValue(Data value) : storage_(std::move(value)) {}
  PropertyListValue(platform::Date value) : storage_(value) {}
  PropertyListValue(Array value) : storage_(std::move(value)) {}
  PropertyListValue(Dictionary value) : storage_(std::move(value)) {}

  // An array of strings, the most common array in preferences.
  static PropertyListValue stringArray(const std::vector<std::string>& strings);

  Type type() const { return static_cast<Type>(storage_.index()); }

  // Each accessor answers only for its own type: nullptr / nullopt for any
  // other (no conversions between numbers and strings).
  const std::string* asString() const { return std::get_if<std::string>(&storage_); }
  std::optional<std::int64_t> asInteger() const;
  // Integers are reals too.
  std::optional<double> asReal() const;
  std::optional<bool> asBoolean() const;
  const Data* asData() const { return std::get_if<Data>(&storage_); }
  std::optional<platform::Date> asDate() const;
  const Array* asArray() const { return std::get_if<Array>(&storage_); }
  const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&storage_); }
  // The strings of an array that holds only strings, else nullopt.
  std::optional<std::vector<std::string>> asStringArray() const;

  // Looks a key up in a dictionary; nullptr when absent or not a dictionary.
  const PropertyListValue* objectForKey(const std::string& key) const;

  bool operator==(const PropertyListValue& other) const { return storage_ == other.storage_; }

 private:
  // The order matches Type.
  std::variant<std::string, std::int64_t, double, bool, Data, platform::Date, Array, Dictionary>
      storage_;
};

}  // namespace platform
