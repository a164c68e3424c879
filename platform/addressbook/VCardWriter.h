#pragma once
// Writes one entry as a vCard 4.0 card (RFC 6350): CRLF line ends, lines
// folded at 75 octets, every text value escaped, predefined labels as TYPE
// values and other labels as a custom label in the property's group, the
// picture as a data URI with the media type its bytes show.

#include <string>
#include <string_view>

#include "platform/addressbook/EntryContent.h"

namespace platform::addressbook {

class VCardWriter {
 public:
  // The PRODID of every card this program writes, "-//<app name>//Address
  // Book 1.0//EN" with the name of the app's identity: how it recognises
  // its own files among other programs' ones.
  static std::string productId();

  // The entry must have its uid.
  static std::string write(const EntryContent& entry);
};

}  // namespace platform::addressbook
