#include "tools/inspect/ContactCard.h"

#include "ads/PennantContact.h"
#include "platform/addressbook/VCardWriter.h"

namespace pennant::inspect {

using platform::addressbook::EntryContent;
using platform::addressbook::Property;

std::optional<std::string> ContactCard::vcardForContactObject(const json::Value* contact) {
  auto pennantContact = PennantContact::initWithDictionary(contact);
  if (!pennantContact->organization()) return std::nullopt;
  auto record = pennantContact->newRecord();
  EntryContent entry;
  entry.recordType = record->recordType();
  if (auto kind = record->copyValue(Property::Kind); kind.kind()) entry.kind = *kind.kind();
  auto text = [&record](Property property) -> std::optional<std::string> {
    auto value = record->copyValue(property);
    return value.string() ? std::optional(*value.string()) : std::nullopt;
  };
  auto multi = [&record](Property property) -> std::optional<platform::addressbook::MultiValue> {
    auto value = record->copyValue(property);
    return value.multiValue() ? std::optional(*value.multiValue()) : std::nullopt;
  };
  entry.organization = text(Property::Organization);
  entry.phones = multi(Property::Phone);
  entry.emails = multi(Property::Email);
  entry.addresses = multi(Property::Address);
  entry.urls = multi(Property::URL);
  entry.note = text(Property::Note);
  entry.imageData = record->copyImageData();
  entry.uid = "pennant-inspect";
  return platform::addressbook::VCardWriter::write(entry);
}

}  // namespace pennant::inspect
