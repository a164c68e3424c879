// pennant-inspect ad [--media-host URL] FILE
//
// Reads FILE (or standard input for "-") as the ad library reads an answer to
// an ad request and prints one canonical JSON line: whether the ad is
// accepted, the fields read, the downloads the ad would start once accepted
// (its picture, and its action icon unless that icon is cached; a picture
// whose URL the library refuses to build shows a null URL), and the
// pixels its first drawing would fire. Exit 0 when accepted, 1 when rejected.

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "ads/PennantAdAnswer.h"
#include "ads/PennantAdServer.h"
#include "json/CanonicalWriter.h"
#include "tools/inspect/CommandRegistry.h"

namespace pennant::inspect {
namespace {

void appendField(std::string& out, const char* key, const std::optional<std::string>& value) {
  if (!value) return;
  if (out.back() != '{') out += ',';
  json::CanonicalWriter::appendString(out, key);
  out += ':';
  json::CanonicalWriter::appendString(out, *value);
}

// A null URL is a download that fails at once: the answer named a picture
// that the library will not fetch from where it points.
void appendDownload(std::string& out, const char* identifier, const std::optional<std::string>& url) {
  if (out.back() != '[') out += ',';
  out += "{\"identifier\":";
  json::CanonicalWriter::appendString(out, identifier);
  out += ",\"url\":";
  if (url) {
    json::CanonicalWriter::appendString(out, *url);
  } else {
    out += "null";
  }
  out += '}';
}

int runAd(const std::vector<std::string>& arguments) {
  std::string path;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--media-host" && i + 1 < arguments.size()) {
      PennantAdServer::setStaticMediaHost(arguments[++i]);
    } else if (path.empty()) {
      path = arguments[i];
    } else {
      path.clear();
      break;
    }
  }
  if (path.empty()) {
    std::cerr << "usage: pennant-inspect ad [--media-host URL] FILE   (FILE may be - for standard input)\n";
    return 2;
  }
  std::string bytes;
  if (path == "-") {
    bytes.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::cerr << "pennant-inspect ad: cannot read " << path << "\n";
      return 2;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  const PennantAdAnswer answer = PennantAdAnswer::answerWithData(json::ByteScanner::dataWithBytes(bytes));
  const bool accepted = answer.isAccepted();
  // Keys in UTF-8 byte order, as everywhere in pennant-inspect's output.
  std::string line = accepted ? "{\"accepted\":true" : "{\"accepted\":false";
  line += ",\"downloads\":[";
  if (accepted) {
    appendDownload(line, "userImage", answer.imageUrl);
    appendDownload(line, "actionIcon", PennantAdServer::actionIconURL(*answer.actionImageName));
  }
  line += "],\"fields\":{";
  appendField(line, "accountingPixelUrl", answer.accountingPixelUrl);
  appendField(line, "action", answer.action);
  appendField(line, "actionImageName", answer.actionImageName);
  appendField(line, "clickUrl", answer.clickUrl);
  appendField(line, "imageUrl", answer.imageUrl);
  appendField(line, "jsonpUrl", answer.jsonpUrl);
  appendField(line, "text", answer.text);
  appendField(line, "trackingPixelUrl", answer.trackingPixelUrl);
  appendField(line, "userString", answer.userString);
  line += "},\"medium\":" + std::to_string(static_cast<int>(answer.medium)) + ",\"pixels\":[";
  if (accepted && answer.accountingPixelUrl) appendDownload(line, "accountingPixel", *answer.accountingPixelUrl);
  if (accepted && answer.trackingPixelUrl) appendDownload(line, "trackingPixel", *answer.trackingPixelUrl);
  line += "]}";
  std::cout << line << '\n';
  return accepted ? 0 : 1;
}

const CommandRegistration registration{"ad", "[--media-host URL] FILE", &runAd};

}  // namespace
}  // namespace pennant::inspect
