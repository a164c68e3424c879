// pennant-inspect click FILE
//
// Reads FILE (or standard input for "-") as the ad library reads the answer
// to a click and prints one canonical JSON line: whether the click fails
// (an empty answer, a "redirect_url" that is not text), the destination URL
// it hands on (null when there is none or the text is no URL), the
// acquisition URL, and the contact as the address book would store it (the
// vCard text, or null when the answer has no usable contact). Exit 0 when
// the click succeeds, 1 when it fails.

#include <iostream>

#include "ads/PennantClickAnswer.h"
#include "json/CanonicalWriter.h"
#include "tools/inspect/CommandRegistry.h"
#include "tools/inspect/ContactCard.h"
#include "tools/inspect/InputFile.h"

namespace pennant::inspect {
namespace {

void appendKeyValue(std::string& out, const char* key, const std::optional<std::string>& value) {
  if (out.back() != '{') out += ',';
  json::CanonicalWriter::appendString(out, key);
  out += ':';
  if (value) {
    json::CanonicalWriter::appendString(out, *value);
  } else {
    out += "null";
  }
}

int runClick(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) {
    std::cerr << "usage: pennant-inspect click FILE   (FILE may be - for standard input)\n";
    return 2;
  }
  auto bytes = readInputFile(arguments[0]);
  if (!bytes) {
    std::cerr << "pennant-inspect click: cannot read " << arguments[0] << "\n";
    return 2;
  }
  const PennantClickAnswer answer = PennantClickAnswer::answerWithData(json::ByteScanner::dataWithBytes(*bytes));
  // Keys in UTF-8 byte order, as everywhere in pennant-inspect's output.
  std::string line = "{";
  appendKeyValue(line, "acquisitionUrl", answer.failed ? std::nullopt : answer.acquisitionURL);
  appendKeyValue(line, "contact",
                 answer.failed ? std::nullopt : ContactCard::vcardForContactObject(answer.contact));
  appendKeyValue(line, "destination",
                 answer.destination ? std::optional(answer.destination->absoluteString()) : std::nullopt);
  line += answer.failed ? ",\"failed\":true" : ",\"failed\":false";
  appendKeyValue(line, "redirectUrl", answer.redirectText);
  line += "}";
  std::cout << line << '\n';
  return answer.failed ? 1 : 0;
}

const CommandRegistration registration{"click", "FILE", &runClick};

}  // namespace
}  // namespace pennant::inspect
