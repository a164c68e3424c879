#pragma once
// Titles of the confirmation alerts: a localized format with one "%@"
// filled with text from the ad server.

#include <string>

namespace pennant {

class PennantAlertText {
 public:
  // The localized `key` with its first "%@" replaced by `text`; the text is
  // never read as a format itself, so a "%@" or "%n" in it stays as it is.
  static std::string titleWithFormatKey(const std::string& key, const std::string& text);
};

}  // namespace pennant
