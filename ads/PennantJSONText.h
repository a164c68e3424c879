#pragma once
// How the library takes text out of a server's JSON where it expects text.
// Servers send strings; some send a phone number or a ZIP code as a number.
// A string is taken as it is, a whole number as its digits (a phone number
// as a number would otherwise be lost); anything else (lists, objects,
// booleans, null, fractions) is not text and is treated as absent.

#include <optional>
#include <string>

#include "json/Value.h"

namespace pennant {

class PennantJSONText {
 public:
  static std::optional<std::string> textOf(const json::Value* value);
  static std::optional<std::string> textForKey(const json::Value* dictionary, std::string_view key);
};

}  // namespace pennant
