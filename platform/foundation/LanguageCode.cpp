#include "platform/foundation/LanguageCode.h"

#include <algorithm>

#include "platform/foundation/Log.h"

namespace platform {

namespace {

// How much of a refused value the log shows.
constexpr std::size_t kShownLength = 40;

bool isCodeCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// The start of a refused value; the log itself escapes what would break
// its line.
std::string shown(std::string_view value) {
  std::string out(value.substr(0, kShownLength));
  if (value.size() > kShownLength) out += "...";
  return out;
}

}  // namespace

bool LanguageCode::isValid(std::string_view code) {
  return !code.empty() && code.size() <= kMaxLength && std::all_of(code.begin(), code.end(), isCodeCharacter);
}

std::optional<std::string> LanguageCode::validated(std::string_view code, std::string_view source) {
  if (isValid(code)) return std::string(code);
  logIgnored(code, source);
  return std::nullopt;
}

void LanguageCode::logIgnored(std::string_view code, std::string_view source) {
  log("Ignoring an invalid language or locale code in " + std::string(source) + ": \"" + shown(code) + "\"");
}

}  // namespace platform
