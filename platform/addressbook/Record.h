#pragma once
// One entry of the address book: a person record, which is an individual or
// an organization, with its properties and its picture.
//
//   auto record = Record::personCreate();
//   record->setValue(Property::Kind, PropertyValue(PersonKind::Organization));
//   record->setValue(Property::Organization, PropertyValue(std::string("Sunrise Bakery")));
//   book->addRecord(record);
//   book->save();
//
// Records are shared: a book holds the records it lists, and callers may
// keep them. A record read from a file another program wrote is read-only:
// setValue and setImageData refuse to change it, so its file is never
// rewritten. A record read from a file holding several entries is read-only
// too.
//
// Listing a book reads only what it takes to list: the kind and the
// organization name. The other properties of a record whose file was read
// in part are read from its file the first time one is asked for.

#include <memory>
#include <optional>
#include <string>

#include "platform/addressbook/AddressBookTypes.h"
#include "platform/addressbook/EntryContent.h"
#include "platform/addressbook/FileIdentity.h"
#include "platform/addressbook/PropertyValue.h"
#include "platform/addressbook/VdirFolder.h"

namespace platform::addressbook {

class Record {
  struct Passkey {};

 public:
  // ABPersonCreate: a new individual with no properties, in no book yet.
  static std::shared_ptr<Record> personCreate();

  Record(Passkey, std::shared_ptr<const EntryContent> content, bool complete);

  RecordType recordType() const { return content_->recordType; }

  // The property's value; null when the record does not have it. The kind
  // is always there (an individual unless set otherwise).
  PropertyValue copyValue(Property property) const;
  // False, with nothing changed, when the value has the wrong shape for the
  // property (a string for phones, a multi-string for addresses, a null) or
  // the record is read-only.
  bool setValue(Property property, const PropertyValue& value);
  bool removeValue(Property property);

  // ABPersonSetImageData: the picture's bytes, in any image format.
  bool setImageData(std::string bytes);
  bool removeImageData();
  bool hasImageData() const;
  std::optional<std::string> copyImageData() const;

  bool isReadOnly() const;

  // Everything the entry holds, as its file stores it: what a tool shows as
  // the card a record would be written as.
  EntryContent copyContent() const { return content(); }

 private:
  friend class AddressBook;

  // Where a record read from the folder came from.
  struct StoredEntry {
    std::shared_ptr<const VdirFolder> folder;
    std::string name;
    FileIdentity identity;
    bool writtenByUs = false;
    bool sharedFile = false;  // the file holds other entries as well
    std::size_t cardIndex = 0;  // which of the file's cards this record is
  };

  const EntryContent& content() const;
  // Null for a read-only record; otherwise the record's own copy, marked
  // changed.
  EntryContent* mutableContent();

  mutable std::shared_ptr<const EntryContent> content_;
  mutable bool complete_;
  std::optional<StoredEntry> stored_;
  bool changed_ = false;
  // The book that lists the record; only compared, never followed.
  const void* book_ = nullptr;
};

}  // namespace platform::addressbook
