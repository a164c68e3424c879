// Fuzzes the vCard reader with files as another program (or an attacker)
// may leave them in the address-book folder. What must hold for any input:
// every card the reader takes, written again by our writer and read back,
// is the same entry, field for field: nothing a foreign card held is lost
// or changed by the first time our address book saves it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/VCardRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using namespace platform::addressbook;
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  for (const auto& card : VCardParser::parse(text)) {
    EntryContent entry = VCardReader::read(card.lines).content;
    // Our book gives every entry it writes an identifier.
    if (entry.uid.empty()) entry.uid = "fuzz-card";
    const auto reread = fuzz::writtenAndReadBack(entry);
    fuzz::check(reread.has_value(), "an entry is written as one card of ours");
    fuzz::check(reread->recordType == entry.recordType && reread->kind == entry.kind, "the kind reads back");
    fuzz::check(reread->uid == entry.uid, "the identifier reads back");
    fuzz::check(reread->organization == entry.organization, "the organization reads back");
    fuzz::check(reread->phones == entry.phones, "the phone numbers read back");
    fuzz::check(reread->emails == entry.emails, "the e-mail addresses read back");
    fuzz::check(reread->urls == entry.urls, "the links read back");
    fuzz::check(reread->addresses == entry.addresses, "the addresses read back");
    fuzz::check(reread->note == entry.note, "the note reads back");
    fuzz::check(reread->imageData == entry.imageData, "the picture reads back");
  }
  return 0;
}
