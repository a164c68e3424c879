// pennant-inspect vcard FILE
//
// Reads FILE (or standard input for "-") as the "contact" object of a click
// answer and prints the vCard text the address book entry would be written
// as (CRLF line ends, folded lines, escaped values). Exit 1 when the object
// names no organization, so that nothing would be written.

#include <iostream>

#include "json/JSONDeserializer.h"
#include "tools/inspect/CommandRegistry.h"
#include "tools/inspect/ContactCard.h"
#include "tools/inspect/InputFile.h"

namespace pennant::inspect {
namespace {

int runVcard(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) {
    std::cerr << "usage: pennant-inspect vcard ORGANIZATION-JSON   (a file, or - for standard input)\n";
    return 2;
  }
  auto bytes = readInputFile(arguments[0]);
  if (!bytes) {
    std::cerr << "pennant-inspect vcard: cannot read " << arguments[0] << "\n";
    return 2;
  }
  auto object = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(
      json::ByteScanner::dataWithBytes(*bytes), nullptr);
  auto card = ContactCard::vcardForContactObject(object.get());
  if (!card) {
    std::cerr << "pennant-inspect vcard: no organization name: nothing would be written\n";
    return 1;
  }
  std::cout << *card;
  return 0;
}

const CommandRegistration registration{"vcard", "ORGANIZATION-JSON", &runVcard};

}  // namespace
}  // namespace pennant::inspect
