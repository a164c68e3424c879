#pragma once
// What Record::copyValue answers and Record::setValue takes: nothing, a
// string (organization, note), a kind, or a multi-value (phones, e-mails,
// addresses, URLs). Accessors answer nullptr for another shape.

#include <string>
#include <variant>

#include "platform/addressbook/AddressBookTypes.h"
#include "platform/addressbook/MultiValue.h"

namespace platform::addressbook {

class PropertyValue {
 public:
  PropertyValue() = default;
  explicit PropertyValue(std::string text) : value_(std::move(text)) {}
  explicit PropertyValue(PersonKind kind) : value_(kind) {}
  explicit PropertyValue(MultiValue multiValue) : value_(std::move(multiValue)) {}

  bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
  const std::string* string() const { return std::get_if<std::string>(&value_); }
  const PersonKind* kind() const { return std::get_if<PersonKind>(&value_); }
  const MultiValue* multiValue() const { return std::get_if<MultiValue>(&value_); }

  bool operator==(const PropertyValue&) const = default;

 private:
  std::variant<std::monostate, std::string, PersonKind, MultiValue> value_;
};

}  // namespace platform::addressbook
