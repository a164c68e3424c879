// Fuzzes the reader of the ad server's answer to a click and the contact
// object it may carry, from the bytes as they arrive. What must hold for any
// input:
// - an answer fails exactly when it is empty or its "redirect_url" is there
//   but not text; a destination is made only from that text;
// - the contact a "contact" object makes, written to the address book as a
//   vCard, reads back as the same contact: every name, number, address
//   field and label the server sent, as far as a vCard can hold the text at
//   all (no control characters but tab and line breaks, and a line break
//   always reading back as LF).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ads/PennantClickAnswer.h"
#include "ads/destinations/PennantContact.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/VCardRoundTrip.h"
#include "json/JSONDeserializer.h"
#include "platform/addressbook/AddressKeys.h"

namespace {

using pennant::PennantClickAnswer;
using pennant::PennantContact;
using platform::addressbook::EntryContent;
using platform::addressbook::MultiValue;
using platform::addressbook::MultiValueType;
using platform::addressbook::PersonKind;

// Text as a vCard value holds it: CR LF and a lone CR become LF, and other
// control characters, which have no place in a card, are left out.
std::string storable(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += '\n';
    } else if (c >= 0x20 && c != 0x7F) {
      out += static_cast<char>(c);
    } else if (c == '\t' || c == '\n') {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> storableIfAny(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return storable(*text);
}

// A list without entries is no list: a card has nothing to write for it,
// and the address book reads an empty list as none.
std::optional<MultiValue> storableStrings(const std::optional<PennantContact::LabelledValues>& values) {
  if (!values || values->empty()) return std::nullopt;
  MultiValue multi(MultiValueType::MultiString);
  for (const auto& [label, value] : *values) multi.addValueAndLabel(storable(value), storable(label));
  return multi;
}

// The address book keeps its own address fields, and only those that hold
// some text.
std::optional<MultiValue> storableAddresses(const std::optional<PennantContact::LabelledAddresses>& addresses) {
  using namespace platform::addressbook;
  if (!addresses || addresses->empty()) return std::nullopt;
  MultiValue multi(MultiValueType::MultiDictionary);
  for (const auto& [label, fields] : *addresses) {
    MultiValue::Dictionary kept;
    for (const std::string_view key : {kAddressStreetKey, kAddressCityKey, kAddressStateKey, kAddressZIPKey,
                                       kAddressCountryKey, kAddressCountryCodeKey}) {
      auto found = fields.find(std::string(key));
      if (found == fields.end()) continue;
      std::string text = storable(found->second);
      if (!text.empty()) kept.emplace(key, std::move(text));
    }
    multi.addValueAndLabel(std::move(kept), storable(label));
  }
  return multi;
}

void checkContact(const json::Value* object) {
  const auto contact = PennantContact::initWithDictionary(object);
  // A contact without a name is never written.
  if (!contact->organization()) return;
  EntryContent entry = contact->newRecord()->copyContent();
  entry.uid = "fuzz-contact";
  const auto reread = fuzz::writtenAndReadBack(entry);
  fuzz::check(reread.has_value(), "a contact is written as one card of ours");
  fuzz::check(reread->kind == PersonKind::Organization, "a contact reads back as an organization");
  fuzz::check(reread->organization == storableIfAny(contact->organization()), "the organization reads back");
  fuzz::check(reread->phones == storableStrings(contact->phoneNumbers()), "the phone numbers read back");
  fuzz::check(reread->emails == storableStrings(contact->emailAddresses()), "the e-mail addresses read back");
  fuzz::check(reread->urls == storableStrings(contact->links()), "the links read back");
  fuzz::check(reread->addresses == storableAddresses(contact->addresses()), "the addresses read back");
  fuzz::check(reread->note == storableIfAny(contact->note()), "the note reads back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const auto data = std::make_shared<const std::vector<std::uint8_t>>(bytes, bytes + size);
  const PennantClickAnswer answer = PennantClickAnswer::answerWithData(data);

  const auto document =
      size == 0 ? nullptr : json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);
  const json::Value* redirect = document ? document->objectForKey("redirect_url") : nullptr;
  fuzz::check(answer.failed == (size == 0 || (redirect && !redirect->isString())),
              "a click fails for an empty answer or a destination that is not text");
  if (answer.destination) {
    fuzz::check(answer.redirectText && answer.destination->absoluteString() == *answer.redirectText,
                "the destination is the text the server sent");
  }
  if (!answer.failed) checkContact(answer.contact);
  // Any object reads as a contact; the whole answer lets the fuzzer reach
  // the contact's keys with shorter inputs.
  checkContact(document.get());
  return 0;
}
