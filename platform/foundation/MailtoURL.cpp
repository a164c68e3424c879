#include "platform/foundation/MailtoURL.h"

#include "platform/foundation/PercentEscapes.h"

namespace platform {

namespace {

// The characters a URL may carry as they are but a mailto field value may
// not (RFC 6068 keeps only the unreserved ones and ! $ ' ( ) * , ; : @),
// with "+" added because form decoders turn it into a space.
constexpr std::string_view kStructuralMarks = "#&+/=?[]";

}  // namespace

std::string MailtoURL::encodedFieldValue(std::string_view value) {
  // With UTF-8 as the target every byte can be escaped, so there is always
  // an answer.
  return PercentEscapes::addingPercentEscapes(value, StringEncoding::UTF8, kStructuralMarks).value_or("");
}

std::string MailtoURL::withSubjectBody(std::string_view subject, std::string_view body) {
  return "mailto:?subject=" + encodedFieldValue(subject) + "&body=" + encodedFieldValue(body);
}

}  // namespace platform
