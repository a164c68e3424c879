#pragma once
// One HTTP response as a connection reports it: the status code, the header
// lines in the order received, and the URL it came from (after redirects,
// the redirect's target).

#include <string>
#include <utility>
#include <vector>

namespace platform::net {

class UrlResponse {
 public:
  UrlResponse() = default;
  UrlResponse(int statusCode, std::string url) : statusCode_(statusCode), url_(std::move(url)) {}

  int statusCode() const { return statusCode_; }
  const std::string& url() const { return url_; }
  void setUrl(std::string url) { url_ = std::move(url); }

  const std::vector<std::pair<std::string, std::string>>& allHeaderFields() const {
    return headers_;
  }
  void addHeaderField(std::string name, std::string value);
  // The first header of that name (compared without regard to case), or "".
  std::string valueForHTTPHeaderField(const std::string& field) const;

 private:
  int statusCode_ = 0;
  std::string url_;
  std::vector<std::pair<std::string, std::string>> headers_;
};

}  // namespace platform::net
