#pragma once
// Everything one address-book entry holds: what a Record shows and what one
// vCard file stores. Absent optionals are properties the entry does not have.

#include <optional>
#include <string>

#include "platform/addressbook/AddressBookTypes.h"
#include "platform/addressbook/MultiValue.h"

namespace platform::addressbook {

struct EntryContent {
  RecordType recordType = RecordType::Person;
  PersonKind kind = PersonKind::Person;
  std::optional<std::string> organization;
  std::optional<MultiValue> phones;
  std::optional<MultiValue> emails;
  std::optional<MultiValue> addresses;
  std::optional<MultiValue> urls;
  std::optional<std::string> note;
  std::optional<std::string> imageData;
  // The vCard UID; written entries always have one.
  std::string uid;

  bool operator==(const EntryContent&) const = default;
};

}  // namespace platform::addressbook
