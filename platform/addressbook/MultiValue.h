#pragma once
// An ordered list of (label, value) pairs of one shape: strings (phones,
// e-mails, URLs) or dictionaries (postal addresses). Labels may repeat and
// keep their order; see Labels.h for the predefined ones.
//
//   MultiValue phones(MultiValueType::MultiString);
//   phones.addValueAndLabel(std::string("+1 555 0100"), std::string(kWorkLabel));
//   record->setValue(Property::Phone, PropertyValue(phones));
//
// A multi-value is a plain value: a record keeps its own copy.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/addressbook/AddressBookTypes.h"

namespace platform::addressbook {

class MultiValue {
 public:
  using Dictionary = std::map<std::string, std::string>;
  using Value = std::variant<std::string, Dictionary>;

  explicit MultiValue(MultiValueType type) : type_(type) {}

  MultiValueType type() const { return type_; }

  // Appends a pair; false (and nothing added) when the value's shape is not
  // the multi-value's type.
  bool addValueAndLabel(Value value, std::string label);

  std::size_t getCount() const { return entries_.size(); }
  // nullopt past the end.
  std::optional<std::string> copyLabelAtIndex(std::size_t index) const;
  std::optional<Value> copyValueAtIndex(std::size_t index) const;

  bool operator==(const MultiValue&) const = default;

 private:
  struct Entry {
    std::string label;
    Value value;
    bool operator==(const Entry&) const = default;
  };

  MultiValueType type_;
  std::vector<Entry> entries_;
};

}  // namespace platform::addressbook
