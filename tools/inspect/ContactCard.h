#pragma once
// The vCard text the ad library would write for a contact object of a click
// answer, for pennant-inspect's click and vcard commands. The entry's UID is
// random when the library writes it; here it is the fixed "pennant-inspect"
// so that the same input always prints the same text.

#include <optional>
#include <string>

#include "json/Value.h"

namespace pennant::inspect {

class ContactCard {
 public:
  // nullopt when the object names no organization (nothing is written then).
  static std::optional<std::string> vcardForContactObject(const json::Value* contact);
};

}  // namespace pennant::inspect
