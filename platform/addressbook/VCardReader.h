#pragma once
// Turns the content lines of one card into an address-book entry. Tolerant
// of other programs' cards: unknown properties are ignored, labels are read
// from a custom label in the property's group or from its TYPE values, and
// a picture may be a data URI (4.0) or inline base64 (3.0).

#include <string>
#include <vector>

#include "platform/addressbook/EntryContent.h"
#include "platform/addressbook/VCardLine.h"

namespace platform::addressbook {

class VCardReader {
 public:
  struct Result {
    EntryContent content;
    std::string productId;  // PRODID, empty when the card has none
  };

  // Works on any subset of a card's lines as well (the first lines of a file
  // read in part): it reads what is there.
  static Result read(const std::vector<VCardLine>& lines);
};

}  // namespace platform::addressbook
