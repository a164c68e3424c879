#pragma once
// Text handed to a script as data: a JavaScript string literal whose value
// is exactly the given text, whatever it holds, so that nothing in it can
// end the literal or the statement around it.
//
//   web->stringByEvaluatingJavaScriptFromString(
//       "cb(" + JavaScriptString::literal(url) + ", " + JavaScriptString::literal(title) + ")");
//
// The literal is single-quoted and pure ASCII, so it means the same in a
// page of any character encoding: quotes and backslashes are escaped,
// control characters, "<" and ">" are written as \xHH (so the literal may
// also sit inside an HTML script element without closing it), and every
// other non-ASCII character as \uXXXX (a surrogate pair beyond U+FFFF),
// the line separators U+2028 and U+2029 included, which older engines
// take for line ends. Bytes that are not UTF-8 become U+FFFD, the
// replacement character, one per malformed byte.

#include <string>
#include <string_view>

namespace platform {

class JavaScriptString {
 public:
  static std::string literal(std::string_view utf8);
};

}  // namespace platform
