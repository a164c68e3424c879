// Fuzzes URL parsing and percent escapes with text as servers and pages
// send it. What must hold for any input:
// - a URL that parses keeps its text, and the text put together again from
//   its parts parses to the same parts;
// - where libcurl, which fetches it, also takes an http(s) URL, it reads
//   the host and port we read, so a check of the origin made with our
//   parts holds for the request libcurl makes;
// - escaping and unescaping is the identity on text the encoding can hold,
//   and escaped text stands in a URL as it is.
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/UnicodeText.h"
#include "platform/foundation/Url.h"

namespace {

using platform::PercentEscapes;
using platform::StringEncoding;
using platform::Url;

bool sameParts(const Url& a, const Url& b) {
  return a.scheme() == b.scheme() && a.user() == b.user() && a.host() == b.host() && a.port() == b.port() &&
         a.percentEncodedPath() == b.percentEncodedPath() && a.query() == b.query() && a.fragment() == b.fragment();
}

std::string joined(const Url& url) {
  std::string text = url.scheme() + ":";
  if (url.host()) {
    text += "//";
    if (url.user()) text += *url.user() + "@";
    const bool bracketed = url.host()->find_first_of(":[]") != std::string::npos;
    text += bracketed ? "[" + *url.host() + "]" : *url.host();
    if (url.port()) text += ":" + std::to_string(*url.port());
  }
  text += url.percentEncodedPath();
  if (url.query()) text += "?" + *url.query();
  if (url.fragment()) text += "#" + *url.fragment();
  return text;
}

std::string lowercase(std::string text) {
  for (auto& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

struct CurlUrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> curlPart(CURLU* url, CURLUPart which) {
  char* text = nullptr;
  if (curl_url_get(url, which, &text, 0) != CURLUE_OK) return std::nullopt;
  std::string value(text);
  curl_free(text);
  return value;
}

// How libcurl reads the origin of a URL: nullopt when it refuses the URL.
std::optional<std::string> curlOrigin(const std::string& text) {
  std::unique_ptr<CURLU, CurlUrlDeleter> parsed(curl_url());
  if (curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return std::nullopt;
  return curlPart(parsed.get(), CURLUPART_HOST).value_or("") + " zone " +
         curlPart(parsed.get(), CURLUPART_ZONEID).value_or("") + " port " +
         curlPart(parsed.get(), CURLUPART_PORT).value_or("");
}

// libcurl spells some hosts its own way ("2" is 0.0.0.2), so the host our
// parser found is handed to libcurl alone: the origin it reads from that
// must be the one it reads from the whole URL. Then what we decide about a
// URL's host holds for the host libcurl connects to.
void checkAgainstCurl(const Url& url) {
  const std::string scheme = lowercase(url.scheme());
  if ((scheme != "http" && scheme != "https") || !url.host() || url.host()->empty()) return;
  const auto whole = curlOrigin(url.absoluteString());
  if (!whole) return;
  const bool bracketed = url.host()->find_first_of(":[]") != std::string::npos;
  std::string alone = scheme + "://" + (bracketed ? "[" + *url.host() + "]" : *url.host());
  if (url.port()) alone += ":" + std::to_string(*url.port());
  fuzz::check(curlOrigin(alone + "/") == whole, "libcurl reads the host and port we read");
}

void checkUrl(std::string_view text) {
  const auto url = Url::URLWithString(text);
  if (!url) return;
  fuzz::check(url->absoluteString() == text, "a URL keeps its text");
  const auto again = Url::URLWithString(joined(*url));
  fuzz::check(again && sameParts(*again, *url), "a URL put together from its parts parses to the same parts");
  (void)url->path();
  checkAgainstCurl(*url);
}

void checkEscapes(std::string_view text) {
  const bool utf8 = platform::UnicodeText::isValidUTF8(text);
  const auto escaped = PercentEscapes::addingPercentEscapes(text, StringEncoding::UTF8, "#");
  fuzz::check(escaped.has_value(), "any text escapes for UTF-8");
  const auto unescaped = PercentEscapes::removingPercentEscapes(*escaped, StringEncoding::UTF8);
  fuzz::check(unescaped.has_value() == utf8 && (!utf8 || *unescaped == text),
              "escaping then unescaping gives the text back");
  const auto holder = Url::URLWithString("x:?" + *escaped);
  fuzz::check(holder && holder->query() == *escaped, "escaped text stands in a URL as it is");

  bool ascii = true;
  for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  const auto asciiEscaped = PercentEscapes::addingPercentEscapes(text, StringEncoding::ASCII);
  fuzz::check(asciiEscaped.has_value() == ascii, "only ASCII text escapes for ASCII");
  if (asciiEscaped) {
    fuzz::check(PercentEscapes::removingPercentEscapes(*asciiEscaped, StringEncoding::ASCII) == std::string(text),
                "escaping then unescaping ASCII gives the text back");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  checkUrl(text);
  checkEscapes(text);
  // Unescaping text as it comes must never get past the checks of UTF-8.
  if (auto decoded = PercentEscapes::removingPercentEscapes(text, StringEncoding::UTF8)) {
    fuzz::check(platform::UnicodeText::isValidUTF8(*decoded), "unescaped UTF-8 is UTF-8");
  }
  return 0;
}
