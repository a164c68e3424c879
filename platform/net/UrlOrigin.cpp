#include "platform/net/UrlOrigin.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>

namespace platform::net {

namespace {

struct UrlHandleFree {
  void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};

std::optional<std::string> part(CURLU* handle, CURLUPart which, unsigned flags = 0) {
  char* text = nullptr;
  if (curl_url_get(handle, which, &text, flags) != CURLUE_OK || text == nullptr) return std::nullopt;
  std::string value(text);
  curl_free(text);
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return value;
}

}  // namespace

std::optional<UrlOrigin> UrlOrigin::ofURL(std::string_view url) {
  // The same parser that makes the requests decides what the parts are.
  std::unique_ptr<CURLU, UrlHandleFree> handle(curl_url());
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, std::string(url).c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  auto scheme = part(handle.get(), CURLUPART_SCHEME);
  auto host = part(handle.get(), CURLUPART_HOST);
  auto port = part(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
  if (!scheme || !host || !port || (*scheme != "http" && *scheme != "https")) return std::nullopt;
  return UrlOrigin(std::move(*scheme), std::move(*host), std::strtol(port->c_str(), nullptr, 10));
}

}  // namespace platform::net
