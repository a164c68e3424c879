#pragma once
// Percent escapes for URL text.
//
// `addingPercentEscapes` turns every byte that may not stand unescaped in a
// URL into "%XX" (upper-case hex) and keeps the rest, so already-valid URL
// text passes through unchanged. Because the reserved marks are kept, a
// value that contains "&" or "=" still changes the shape of a query string;
// callers that build query strings pass those marks in `alsoEscape`.

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/StringEncoding.h"

namespace platform {

class PercentEscapes {
 public:
  // The characters left as they are: ASCII letters and digits, the
  // unreserved marks - . _ ~ and the reserved marks
  // ! # $ & ' ( ) * + , / : ; = ? @ [ ]
  // Everything else (controls, space, " % < > \ ^ ` { | } , DEL and every
  // byte above 0x7F) is escaped.
  static std::string_view keptCharacters();
  static bool isKeptCharacter(char c);

  // Escapes `text` for a URL. With ASCII as the target, text holding any
  // byte above 0x7F cannot be converted and gives nullopt; with UTF-8 each
  // such byte becomes its own escape. Characters in `alsoEscape` are escaped
  // even when they are kept characters.
  static std::optional<std::string> addingPercentEscapes(std::string_view text,
                                                         StringEncoding encoding,
                                                         std::string_view alsoEscape = {});

  // Decodes every "%XX". A per-cent sign not followed by two hex digits, or
  // a result that is not valid in the target encoding (a byte above 0x7F for
  // ASCII, broken UTF-8 for UTF-8), gives nullopt.
  static std::optional<std::string> removingPercentEscapes(std::string_view text,
                                                           StringEncoding encoding);
};

}  // namespace platform
