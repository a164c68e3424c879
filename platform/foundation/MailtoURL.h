#pragma once
// A "mailto:" URL that starts a message, built as RFC 6068 asks: each
// header value is percent-encoded as UTF-8 so that every character a mail
// program would read as structure ("&" between fields, "=" inside one, "?",
// "#", "/", and "+", which some programs take for a space) arrives as
// part of the value. A subject "Shoes & Socks" therefore stays one subject
// instead of ending at "Shoes " and starting a header of its own.
//
//   openURL(Url::URLWithString(MailtoURL::withSubjectBody(title, pageUrl)));

#include <string>
#include <string_view>

namespace platform {

class MailtoURL {
 public:
  // "mailto:?subject=...&body=..." with no recipient.
  static std::string withSubjectBody(std::string_view subject, std::string_view body);
  // One header value, encoded.
  static std::string encodedFieldValue(std::string_view value);
};

}  // namespace platform
