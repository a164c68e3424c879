// Fuzzes the reader of the ad server's answer to an ad request, from the
// bytes as they arrive. What must hold for any input:
// - the answer is accepted exactly when the document has the keys an ad
//   needs as text ("6", "url", a picture from "banner" or "204", and "text"
//   unless the ad is an image banner);
// - an ad is an image banner exactly when "banner" is text, and only image
//   banners carry pixel URLs, never empty ones;
// - every picture URL built from the server's words ("204" for a text ad's
//   picture, "18" for the action icon) is on the static-media host: the same
//   scheme, host and port when libcurl, which fetches it, reads it.
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/PennantAdAnswer.h"
#include "ads/PennantAdServer.h"
#include "fuzz/FuzzCheck.h"
#include "json/JSONDeserializer.h"

namespace {

using pennant::PennantAdAnswer;
using pennant::PennantAdMedium;
using pennant::PennantAdServer;

// Static-media hosts as a user may configure them: with a port, without
// one (the scheme's default), and a bracketed IPv6 address.
const char* const kMediaHosts[] = {"http://127.0.0.1:8420", "https://media.example.test", "http://[::1]:8080"};

struct CurlUrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct Origin {
  std::string scheme, host, port, user;
  bool operator==(const Origin&) const = default;
};

std::optional<std::string> part(CURLU* url, CURLUPart which, unsigned flags = 0) {
  char* text = nullptr;
  if (curl_url_get(url, which, &text, flags) != CURLUE_OK) return std::nullopt;
  std::string value(text);
  curl_free(text);
  return value;
}

// How libcurl reads a URL: nullopt when it would not fetch it at all.
std::optional<Origin> curlOrigin(const std::string& text) {
  std::unique_ptr<CURLU, CurlUrlDeleter> url(curl_url());
  if (curl_url_set(url.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return std::nullopt;
  auto scheme = part(url.get(), CURLUPART_SCHEME);
  auto host = part(url.get(), CURLUPART_HOST);
  auto port = part(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!scheme || !host || !port) return std::nullopt;
  return Origin{*scheme, *host, *port, part(url.get(), CURLUPART_USER).value_or("")};
}

void checkOnMediaHost(const std::string& url, const Origin& media, const char* property) {
  fuzz::check(url.starts_with(PennantAdServer::staticMediaHost() + "/"), property);
  if (auto origin = curlOrigin(url)) fuzz::check(*origin == media, property);
}

// The acceptance rule, read from the document itself.
bool documentMakesAnAd(const std::shared_ptr<const json::Value>& document) {
  if (!document) return false;
  const bool banner = document->stringForKey("banner").has_value();
  const bool picture = banner || document->stringForKey("204").has_value();
  return document->stringForKey("6") && document->stringForKey("url") && picture &&
         (banner || document->stringForKey("text"));
}

void checkAnswer(const json::ByteScanner::Data& data, const Origin& media) {
  const PennantAdAnswer answer = PennantAdAnswer::answerWithData(data);
  const auto document =
      data->empty() ? nullptr : json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);

  fuzz::check(answer.isAccepted() == documentMakesAnAd(document), "acceptance follows the keys of the document");
  const bool banner = document && document->stringForKey("banner");
  fuzz::check((answer.medium == PennantAdMedium::Banner) == banner, "an ad is an image banner when \"banner\" is text");
  if (!banner) {
    fuzz::check(!answer.accountingPixelUrl && !answer.trackingPixelUrl, "only image banners carry pixels");
  }
  fuzz::check(!answer.accountingPixelUrl || !answer.accountingPixelUrl->empty(), "a pixel URL is never empty");
  fuzz::check(!answer.trackingPixelUrl || !answer.trackingPixelUrl->empty(), "a pixel URL is never empty");

  if (!banner && answer.imageUrl) {
    checkOnMediaHost(*answer.imageUrl, media, "a text ad's picture is on the static-media host");
  }
  if (answer.actionImageName) {
    const std::string icon = PennantAdServer::actionIconURL(*answer.actionImageName);
    checkOnMediaHost(icon, media, "the action icon is on the static-media host");
    std::unique_ptr<CURLU, CurlUrlDeleter> url(curl_url());
    if (curl_url_set(url.get(), CURLUPART_URL, icon.c_str(), 0) == CURLUE_OK) {
      fuzz::check(!part(url.get(), CURLUPART_QUERY) && !part(url.get(), CURLUPART_FRAGMENT) &&
                      part(url.get(), CURLUPART_PATH).value_or("").starts_with("/static/iphone/img/"),
                  "the action icon's name stays inside its path");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const auto data = std::make_shared<const std::vector<std::uint8_t>>(bytes, bytes + size);
  for (const char* host : kMediaHosts) {
    PennantAdServer::setStaticMediaHost(host);
    const auto media = curlOrigin(PennantAdServer::staticMediaHost() + "/");
    fuzz::check(media.has_value(), "libcurl reads the static-media host");
    checkAnswer(data, *media);
  }
  return 0;
}
