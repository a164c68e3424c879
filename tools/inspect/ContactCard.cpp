#include "tools/inspect/ContactCard.h"

#include "ads/destinations/PennantContact.h"
#include "platform/addressbook/VCardWriter.h"

namespace pennant::inspect {

using platform::addressbook::EntryContent;

std::optional<std::string> ContactCard::vcardForContactObject(const json::Value* contact) {
  auto pennantContact = PennantContact::initWithDictionary(contact);
  if (!pennantContact->organization()) return std::nullopt;
  EntryContent entry = pennantContact->newRecord()->copyContent();
  entry.uid = "pennant-inspect";
  return platform::addressbook::VCardWriter::write(entry);
}

}  // namespace pennant::inspect
