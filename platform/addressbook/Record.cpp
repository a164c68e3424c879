#include "platform/addressbook/Record.h"

#include "platform/addressbook/EntryFileReader.h"
#include "platform/addressbook/RandomIdentifier.h"

namespace platform::addressbook {

namespace {

constexpr std::string_view kUidScheme = "urn:uuid:";

std::optional<MultiValue> EntryContent::*multiValueField(Property property) {
  switch (property) {
    case Property::Phone: return &EntryContent::phones;
    case Property::Email: return &EntryContent::emails;
    case Property::Address: return &EntryContent::addresses;
    case Property::URL: return &EntryContent::urls;
    default: return nullptr;
  }
}

std::optional<std::string> EntryContent::*stringField(Property property) {
  switch (property) {
    case Property::Organization: return &EntryContent::organization;
    case Property::Note: return &EntryContent::note;
    default: return nullptr;
  }
}

MultiValueType multiValueTypeOf(Property property) {
  return property == Property::Address ? MultiValueType::MultiDictionary : MultiValueType::MultiString;
}

}  // namespace

std::shared_ptr<Record> Record::personCreate() {
  auto content = std::make_shared<EntryContent>();
  content->uid = std::string(kUidScheme) + RandomIdentifier::uuid();
  return std::make_shared<Record>(Passkey{}, std::move(content), true);
}

Record::Record(Passkey, std::shared_ptr<const EntryContent> content, bool complete)
    : content_(std::move(content)), complete_(complete) {}

const EntryContent& Record::content() const {
  if (!complete_ && stored_) {
    // Read at most once: a file that changed or broke since the book was
    // opened leaves the record as it was listed.
    if (auto full = EntryFileReader::loadComplete(*stored_->folder, stored_->name, stored_->identity,
                                                            stored_->cardIndex)) {
      content_ = std::make_shared<const EntryContent>(std::move(*full));
    }
  }
  complete_ = true;
  return *content_;
}

EntryContent* Record::mutableContent() {
  if (isReadOnly()) return nullptr;
  auto copy = std::make_shared<EntryContent>(content());
  EntryContent* editable = copy.get();
  content_ = std::move(copy);
  changed_ = true;
  return editable;
}

bool Record::isReadOnly() const { return stored_ && (!stored_->writtenByUs || stored_->sharedFile); }

PropertyValue Record::copyValue(Property property) const {
  // The kind and the organization are known from the listing alone.
  if (property == Property::Kind) return PropertyValue(content_->kind);
  if (property == Property::Organization) {
    return content_->organization ? PropertyValue(*content_->organization) : PropertyValue();
  }
  const EntryContent& entry = content();
  if (auto field = stringField(property)) return entry.*field ? PropertyValue(*(entry.*field)) : PropertyValue();
  if (auto field = multiValueField(property)) return entry.*field ? PropertyValue(*(entry.*field)) : PropertyValue();
  return PropertyValue();
}

bool Record::setValue(Property property, const PropertyValue& value) {
  const bool fits = property == Property::Kind                ? value.kind() != nullptr
                    : stringField(property)                   ? value.string() != nullptr
                    : multiValueField(property) != nullptr ? value.multiValue() != nullptr &&
                                                                 value.multiValue()->type() == multiValueTypeOf(property)
                                                           : false;
  if (!fits) return false;
  EntryContent* entry = mutableContent();
  if (!entry) return false;
  if (property == Property::Kind) {
    entry->kind = *value.kind();
  } else if (auto field = stringField(property)) {
    entry->*field = *value.string();
  } else {
    entry->*multiValueField(property) = *value.multiValue();
  }
  return true;
}

bool Record::removeValue(Property property) {
  EntryContent* entry = mutableContent();
  if (!entry) return false;
  if (property == Property::Kind) {
    entry->kind = PersonKind::Person;
  } else if (auto field = stringField(property)) {
    (entry->*field).reset();
  } else if (auto multiField = multiValueField(property)) {
    (entry->*multiField).reset();
  }
  return true;
}

bool Record::setImageData(std::string bytes) {
  EntryContent* entry = mutableContent();
  if (!entry) return false;
  entry->imageData = std::move(bytes);
  return true;
}

bool Record::removeImageData() {
  EntryContent* entry = mutableContent();
  if (!entry) return false;
  entry->imageData.reset();
  return true;
}

bool Record::hasImageData() const { return content().imageData.has_value(); }

std::optional<std::string> Record::copyImageData() const { return content().imageData; }

}  // namespace platform::addressbook
