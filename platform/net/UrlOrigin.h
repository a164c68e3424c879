#pragma once
// The origin of an http or https URL: its scheme, host and port, compared
// the way browsers compare them (scheme and host without regard to case, an
// omitted port as the scheme's default). A redirect that leads to another
// origin leads to another party, which must not receive what identifies the
// user or device to the first one.

#include <optional>
#include <string>
#include <string_view>

namespace platform::net {

class UrlOrigin {
 public:
  // nullopt for text that does not parse as an absolute http or https URL.
  static std::optional<UrlOrigin> ofURL(std::string_view url);

  const std::string& scheme() const { return scheme_; }
  const std::string& host() const { return host_; }
  long port() const { return port_; }

  bool operator==(const UrlOrigin&) const = default;

 private:
  UrlOrigin(std::string scheme, std::string host, long port)
      : scheme_(std::move(scheme)), host_(std::move(host)), port_(port) {}

  std::string scheme_;
  std::string host_;
  long port_;
};

}  // namespace platform::net
