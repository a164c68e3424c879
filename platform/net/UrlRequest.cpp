#include "platform/net/UrlRequest.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace platform::net {

namespace {

bool isTokenCharacter(char c) {
  if (c >= '0' && c <= '9') return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string lowercased(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return name;
}

}  // namespace

bool UrlRequest::setValueForHTTPHeaderField(const std::string& value, const std::string& field) {
  if (field.empty() || !std::all_of(field.begin(), field.end(), isTokenCharacter)) return false;
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return false;
  originBound_.erase(lowercased(field));
  for (auto& header : headers_) {
    if (sameName(header.first, field)) {
      header.second = value;
      return true;
    }
  }
  headers_.emplace_back(field, value);
  return true;
}

bool UrlRequest::setValueForOriginBoundHTTPHeaderField(const std::string& value, const std::string& field) {
  if (!setValueForHTTPHeaderField(value, field)) return false;
  originBound_.insert(lowercased(field));
  return true;
}

bool UrlRequest::isOriginBoundHTTPHeaderField(const std::string& field) const {
  return originBound_.count(lowercased(field)) != 0;
}

std::string UrlRequest::valueForHTTPHeaderField(const std::string& field) const {
  for (const auto& header : headers_) {
    if (sameName(header.first, field)) return header.second;
  }
  return {};
}

}  // namespace platform::net
