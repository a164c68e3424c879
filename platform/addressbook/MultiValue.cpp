#include "platform/addressbook/MultiValue.h"

namespace platform::addressbook {

bool MultiValue::addValueAndLabel(Value value, std::string label) {
  const bool isString = std::holds_alternative<std::string>(value);
  if (isString != (type_ == MultiValueType::MultiString)) return false;
  entries_.push_back(Entry{std::move(label), std::move(value)});
  return true;
}

std::optional<std::string> MultiValue::copyLabelAtIndex(std::size_t index) const {
  if (index >= entries_.size()) return std::nullopt;
  return entries_[index].label;
}

std::optional<MultiValue::Value> MultiValue::copyValueAtIndex(std::size_t index) const {
  if (index >= entries_.size()) return std::nullopt;
  return entries_[index].value;
}

}  // namespace platform::addressbook
