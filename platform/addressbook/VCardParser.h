#pragma once
// Reads vCard text (3.0 or 4.0, CRLF or LF line ends, folded lines, groups,
// parameters, quoted parameter values) into content lines. A pure function
// over bytes: it never throws, never reads past its input, and skips what it
// cannot read, so it is safe on any file another program (or an attacker)
// left in the folder.

#include <string_view>
#include <vector>

#include "platform/addressbook/VCardLine.h"

namespace platform::addressbook {

class VCardParser {
 public:
  // Every logical line of the text, in order, cards or not. A line without
  // a name or without a colon is skipped.
  static std::vector<VCardLine> parseLines(std::string_view bytes);

  // The complete cards of the text. Lines outside a card are ignored, a
  // card that is not ended (a cut file) is dropped, and a BEGIN:VCARD inside
  // a card starts it over.
  static std::vector<VCard> parse(std::string_view bytes);
};

}  // namespace platform::addressbook
