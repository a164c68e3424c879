#include "platform/foundation/PropertyListValue.h"

namespace platform {

PropertyListValue PropertyListValue::stringArray(const std::vector<std::string>& strings) {
  Array array;
  array.reserve(strings.size());
  for (const auto& text : strings) {
    array.emplace_back(text);
  }
  return PropertyListValue(std::move(array));
}

std::optional<std::int64_t> PropertyListValue::asInteger() const {
  if (const auto* value = std::get_if<std::int64_t>(&storage_)) {
    return *value;
  }
  return std::nullopt;
}

std::optional<double> PropertyListValue::asReal() const {
  if (const auto* value = std::get_if<double>(&storage_)) {
    return *value;
  }
  if (const auto* value = std::get_if<std::int64_t>(&storage_)) {
    return static_cast<double>(*value);
  }
  return std::nullopt;
}

std::optional<bool> PropertyListValue::asBoolean() const {
  if (const auto* value = std::get_if<bool>(&storage_)) {
    return *value;
  }
  return std::nullopt;
}

std::optional<platform::Date> PropertyListValue::asDate() const {
  if (const auto* value = std::get_if<platform::Date>(&storage_)) {
    return *value;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> PropertyListValue::asStringArray() const {
  const Array* array = asArray();
  if (array == nullptr) {
    return std::nullopt;
  }
  std::vector<std::string> strings;
  strings.reserve(array->size());
  for (const auto& element : *array) {
    const std::string* text = element.asString();
    if (text == nullptr) {
      return std::nullopt;
    }
    strings.push_back(*text);
  }
  return strings;
}

const PropertyListValue* PropertyListValue::objectForKey(const std::string& key) const {
  const Dictionary* dictionary = asDictionary();
  if (dictionary == nullptr) {
    return nullptr;
  }
  const auto found = dictionary->find(key);
  return found == dictionary->end() ? nullptr : &found->second;
}

}  // namespace platform
