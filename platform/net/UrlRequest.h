#pragma once
// What to fetch: a URL text, request headers in the order they were set, and
// a time-out. Always a GET without a body; nothing is cached, and no cache
// headers are sent.

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace platform::net {

class UrlRequest {
 public:
  static constexpr double kDefaultTimeoutInterval = 60.0;

  explicit UrlRequest(std::string url, double timeoutInterval = kDefaultTimeoutInterval)
      : url_(std::move(url)), timeoutInterval_(timeoutInterval) {}

  const std::string& url() const { return url_; }

  // Sets a header, replacing one of the same name (names compare without
  // regard to case). Refuses, returning false, a name that is not an HTTP
  // token and a value holding CR, LF or NUL: such text would let whoever
  // controls it add headers or requests of their own.
  bool setValueForHTTPHeaderField(const std::string& value, const std::string& field);
  // The same for a header that identifies the user or device to the URL's
  // own origin (scheme, host, port): a redirect to another origin does not
  // carry it. Setting the header again the plain way lifts the binding.
  bool setValueForOriginBoundHTTPHeaderField(const std::string& value, const std::string& field);
  bool isOriginBoundHTTPHeaderField(const std::string& field) const;
  // The value of a header, or an empty string.
  std::string valueForHTTPHeaderField(const std::string& field) const;
  const std::vector<std::pair<std::string, std::string>>& allHTTPHeaderFields() const {
    return headers_;
  }

  // Seconds the whole transfer, redirects included, may take before it
  // fails with a time-out. Zero or less means no limit.
  double timeoutInterval() const { return timeoutInterval_; }
  void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }

 private:
  std::string url_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::set<std::string> originBound_;  // lower-case names
  double timeoutInterval_;
};

}  // namespace platform::net
