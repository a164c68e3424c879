#include "ads/destinations/PennantContact.h"

#include "ads/PennantJSONText.h"
#include "platform/addressbook/ImageMediaType.h"
#include "platform/foundation/Log.h"

namespace pennant {

using platform::addressbook::AddressBook;
using platform::addressbook::MultiValue;
using platform::addressbook::MultiValueType;
using platform::addressbook::PersonKind;
using platform::addressbook::Property;
using platform::addressbook::PropertyValue;
using platform::addressbook::Record;
using platform::addressbook::RecordType;

namespace {

std::optional<PennantContact::LabelledValues> labelledTextForKey(const json::Value* dictionary,
                                                                 std::string_view key) {
  const json::Value* object = dictionary->dictionaryForKey(key);
  if (!object) return std::nullopt;
  PennantContact::LabelledValues values;
  for (const json::Member& member : object->members()) {
    auto label = member.key.stringValue();
    auto text = PennantJSONText::textOf(&member.value);
    if (label && text) values[*label] = *text;
  }
  return values;
}

std::optional<PennantContact::LabelledAddresses> addressesForKey(const json::Value* dictionary, std::string_view key) {
  const json::Value* object = dictionary->dictionaryForKey(key);
  if (!object) return std::nullopt;
  PennantContact::LabelledAddresses addresses;
  for (const json::Member& member : object->members()) {
    auto label = member.key.stringValue();
    if (!label || !member.value.isDictionary()) continue;
    auto& fields = addresses[*label];
    for (const json::Member& field : member.value.members()) {
      auto name = field.key.stringValue();
      auto text = PennantJSONText::textOf(&field.value);
      if (name && text) fields[*name] = *text;
    }
  }
  return addresses;
}

bool isOrganizationNamed(const Record& record, const std::string& name) {
  if (record.recordType() != RecordType::Person) return false;
  const PropertyValue kind = record.copyValue(Property::Kind);
  if (!kind.kind() || *kind.kind() != PersonKind::Organization) return false;
  const PropertyValue organization = record.copyValue(Property::Organization);
  return organization.string() && *organization.string() == name;
}

template <class Values>
void setMultiValue(Record& record, Property property, MultiValueType type, const std::optional<Values>& values) {
  if (!values) return;
  MultiValue multiValue(type);
  for (const auto& [label, value] : *values) multiValue.addValueAndLabel(value, label);
  record.setValue(property, PropertyValue(std::move(multiValue)));
}

// A later value under the same label replaces an earlier one.
template <class Values>
std::optional<Values> labelledValuesOf(const Record& record, Property property) {
  const PropertyValue value = record.copyValue(property);
  const MultiValue* multiValue = value.multiValue();
  if (!multiValue || multiValue->getCount() == 0) return std::nullopt;
  Values values;
  for (std::size_t index = 0; index < multiValue->getCount(); ++index) {
    auto label = multiValue->copyLabelAtIndex(index);
    auto entry = multiValue->copyValueAtIndex(index);
    using Entry = typename Values::mapped_type;
    if (label && entry && std::holds_alternative<Entry>(*entry)) values[*label] = std::get<Entry>(*entry);
  }
  return values;
}

}  // namespace

std::shared_ptr<PennantContact> PennantContact::initWithDictionary(const json::Value* dictionary) {
  auto contact = std::make_shared<PennantContact>(Passkey{});
  if (!dictionary || !dictionary->isDictionary()) return contact;
  contact->organization_ = PennantJSONText::textForKey(dictionary, "organization");
  contact->phoneNumbers_ = labelledTextForKey(dictionary, "phonenums");
  contact->emailAddresses_ = labelledTextForKey(dictionary, "emails");
  contact->addresses_ = addressesForKey(dictionary, "addresses");
  contact->links_ = labelledTextForKey(dictionary, "links");
  contact->note_ = PennantJSONText::textForKey(dictionary, "note");
  // A picture location is a URL: only a string can be one.
  if (const json::Value* image = dictionary->objectForKey("image"); image && image->isString()) {
    contact->imageLocation_ = image->stringValue();
  }
  return contact;
}

std::shared_ptr<PennantContact> PennantContact::initWithAddressBookEntryForOrganization(
    const std::string& organization) {
  auto book = AddressBook::create();
  for (const auto& record : book->copyArrayOfAllPeople()) {
    if (!isOrganizationNamed(*record, organization)) continue;
    auto contact = std::make_shared<PennantContact>(Passkey{});
    contact->organization_ = organization;
    contact->phoneNumbers_ = labelledValuesOf<LabelledValues>(*record, Property::Phone);
    contact->emailAddresses_ = labelledValuesOf<LabelledValues>(*record, Property::Email);
    contact->addresses_ = labelledValuesOf<LabelledAddresses>(*record, Property::Address);
    contact->links_ = labelledValuesOf<LabelledValues>(*record, Property::URL);
    const PropertyValue note = record->copyValue(Property::Note);
    if (note.string()) contact->note_ = *note.string();
    return contact;
  }
  return nullptr;
}

std::shared_ptr<Record> PennantContact::newRecord() const {
  auto record = Record::personCreate();
  record->setValue(Property::Kind, PropertyValue(PersonKind::Organization));
  if (organization_) record->setValue(Property::Organization, PropertyValue(*organization_));
  setMultiValue(*record, Property::Phone, MultiValueType::MultiString, phoneNumbers_);
  setMultiValue(*record, Property::Email, MultiValueType::MultiString, emailAddresses_);
  setMultiValue(*record, Property::Address, MultiValueType::MultiDictionary, addresses_);
  setMultiValue(*record, Property::URL, MultiValueType::MultiString, links_);
  if (note_) record->setValue(Property::Note, PropertyValue(*note_));
  if (image_) record->setImageData(*image_);
  return record;
}

void PennantContact::saveToAddressBook() {
  if (!organization_) return;
  auto book = AddressBook::create();
  // The old entry goes out in the same save that writes the new one (the
  // book writes new files before it removes old ones). Saved apart, a kill
  // or a full disk between the two saves would leave the user's book
  // without the business at all.
  const bool replacing = removeRecordsOfOrganization(*organization_, *book);
  auto record = newRecord();
  if (!book->addRecord(record)) return;
  platform::Error error;
  // The line is logged only for an entry that really reached the folder.
  if (book->save(&error)) {
    platform::log("Added contact " + *organization_ + " to the address book.");
  } else if (replacing) {
    platform::log("Error removing old contact " + *organization_ + " from the address book:  " + error.description);
  }
}

bool PennantContact::removeRecordsOfOrganization(const std::string& organization, AddressBook& book) {
  bool removed = false;
  for (const auto& record : book.copyArrayOfAllPeople()) {
    if (!isOrganizationNamed(*record, organization)) continue;
    platform::log("Address " + organization +
                  " is already in the address book.  Erasing the old entry before adding the new one.");
    removed = book.removeRecord(record);
  }
  return removed;
}

bool PennantContact::deleteContactInAddressBook(const std::string& organization, AddressBook& book) {
  const bool removed = removeRecordsOfOrganization(organization, book);
  if (removed) {
    platform::Error error;
    if (!book.save(&error)) {
      platform::log("Error removing old contact " + organization + " from the address book:  " + error.description);
    }
  }
  return removed;
}

bool PennantContact::removeFromAddressBook() {
  if (!organization_) return false;
  auto book = AddressBook::create();
  return deleteContactInAddressBook(*organization_, *book);
}

void PennantContact::addToAddressBook() {
  if (!organization_) return;
  saveToAddressBook();
  if (imageLocation_) downloadContactImageAndAddToAddressBook();
}

void PennantContact::downloadContactImageAndAddToAddressBook() {
  if (!imageLocation_ || image_ || pictureDownload_) return;
  auto download = PennantURLDownload::create();
  download->setSuccessSelector(PennantURLDownload::selector(weak_from_this(), &PennantContact::contactImageDownloadDidSucceed));
  download->setFailureSelector(PennantURLDownload::selector(weak_from_this(), &PennantContact::contactImageDownloadDidFail));
  download->setDelegate(weak_from_this());
  download->setTimeoutInterval(pictureTimeoutInterval_);
  // Kept alive until the picture has arrived or failed, whoever lets the
  // contact go; taken before the load, which may fail at once.
  selfWhilePictureLoads_ = shared_from_this();
  pictureDownload_ = download;
  download->loadContentsOfURLAtString(imageLocation_);
}

void PennantContact::contactImageDownloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download) {
  auto protector = shared_from_this();
  auto data = download->data();
  // Bytes that are no picture, or one too large for an entry, are not
  // stored: the entry stays as it was written, without a picture. A picture
  // is one only when it decodes whole: a file cut short still begins like a
  // PNG, and written into the book it would be a broken photo in every
  // reader of it.
  if (data && !data->empty() && data->size() <= kMaximumPictureLength) {
    std::string bytes(data->begin(), data->end());
    if (platform::addressbook::ImageMediaType::sniff(bytes) != "application/octet-stream" &&
        platform::graphics::Image::imageWithData(std::span(*data), kPictureLimit)) {
      image_ = std::move(bytes);
      addToAddressBook();
    }
  }
  finishPictureDownload();
}

void PennantContact::contactImageDownloadDidFail(const std::shared_ptr<PennantURLDownload>& /*download*/) {
  auto protector = shared_from_this();
  finishPictureDownload();
}

void PennantContact::finishPictureDownload() {
  if (pictureDownload_) pictureDownload_->cancel();
  pictureDownload_.reset();
  selfWhilePictureLoads_.reset();
}

}  // namespace pennant
