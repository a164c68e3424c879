#include "ads/PennantJSONText.h"

#include <cmath>
#include <cstdio>

namespace pennant {

namespace {

// Beyond this a double no longer holds every whole number exactly, so its
// digits would not be the ones the server meant.
constexpr double kLargestExactWholeNumber = 9007199254740992.0;

}  // namespace

std::optional<std::string> PennantJSONText::textOf(const json::Value* value) {
  if (!value) return std::nullopt;
  if (value->isString()) return value->stringValue();
  if (auto number = value->numberValue()) {
    if (!std::isfinite(*number) || std::trunc(*number) != *number) return std::nullopt;
    if (std::fabs(*number) > kLargestExactWholeNumber) return std::nullopt;
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.0f", *number);
    return std::string(digits);
  }
  return std::nullopt;
}

std::optional<std::string> PennantJSONText::textForKey(const json::Value* dictionary, std::string_view key) {
  if (!dictionary || !dictionary->isDictionary()) return std::nullopt;
  return textOf(dictionary->objectForKey(key));
}

}  // namespace pennant
