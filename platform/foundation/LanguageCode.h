#pragma once
// Language codes ("en", "pt-BR", "zh-Hant") and locale identifiers ("en_US",
// "es_419") as the app accepts them: 1 to kMaxLength letters, digits, "-"
// and "_". They end up in a file name (the strings file of a language), a
// request path and the user agent header, so nothing else may pass: no "/"
// or "..", no white space, no CR or LF.
//
// Wherever a code is read (the environment, the command line, the stored
// preferences), an invalid one is ignored, and `validated` says so in the
// log.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class LanguageCode {
 public:
  static constexpr std::size_t kMaxLength = 35;

  static bool isValid(std::string_view code);
  // The code when it is valid; otherwise nullopt and one log line naming
  // `source` (such as "AppleLocale") and the refused value.
  static std::optional<std::string> validated(std::string_view code, std::string_view source);
  // The log line of `validated`, for readers with rules of their own.
  static void logIgnored(std::string_view code, std::string_view source);
};

}  // namespace platform
