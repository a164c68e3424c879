#pragma once
// The small vocabulary shared by the address book's classes: what a record
// is, which of its properties can be asked for, and how a multi-value holds
// its values. The numbers are the platform's own and are what callers that
// were written against it compare with.

namespace platform::addressbook {

// ABRecordGetRecordType: every entry of the book is a person (an individual
// or an organization); groups are kept apart and never listed as people.
enum class RecordType : int {
  Person = 0,
  Group = 1,
};

// The value of Property::Kind.
enum class PersonKind : int {
  Person = 0,
  Organization = 1,
};

// The properties a record answers through copyValue / setValue.
enum class Property {
  Kind,          // PersonKind
  Organization,  // string
  Phone,         // multi-string
  Email,         // multi-string
  Address,       // multi-dictionary of the address keys (AddressKeys.h)
  URL,           // multi-string
  Note,          // string
};

// The type a multi-value is created with; a value of the other shape is
// refused by addValueAndLabel.
enum class MultiValueType : int {
  MultiString = 257,
  MultiDictionary = 261,
};

}  // namespace platform::addressbook
