#include "platform/net/UrlResponse.h"

#include <strings.h>

namespace platform::net {

void UrlResponse::addHeaderField(std::string name, std::string value) {
  headers_.emplace_back(std::move(name), std::move(value));
}

std::string UrlResponse::valueForHTTPHeaderField(const std::string& field) const {
  for (const auto& [name, value] : headers_) {
    if (name.size() == field.size() && ::strncasecmp(name.data(), field.data(), name.size()) == 0) {
      return value;
    }
  }
  return {};
}

}  // namespace platform::net
