#pragma once
// The ad server as the library sees it: two base addresses (scheme and host,
// optionally a port, no path) and the fixed paths appended to them. The
// request host answers ad requests; the static-media host serves images,
// localized strings and the canvas page. Other URLs (banner pictures, clicks,
// pixels, acquisitions) arrive inside the server's answers and are used as
// they are.
//
// URLs are built from parts: a name from the server (an icon's) becomes one
// escaped path component, and a path from the server (a text ad's picture)
// is accepted only when the URL it makes is still on the static-media host,
// so no answer can point a download at another host or smuggle the host
// into a user name.
//
// Both hosts are process-wide settings, made once by the host application at
// start (the app's --request-host and --media-host flags) before any ad is
// requested. A trailing slash given with a host is dropped so paths join
// cleanly.

#include <optional>
#include <string>
#include <string_view>

namespace pennant {

class PennantAdServer {
 public:
  // The defaults point at the bundled development server on its default port.
  static constexpr const char* kDefaultRequestHost = "http://127.0.0.1:8420";
  static constexpr const char* kDefaultStaticMediaHost = "http://127.0.0.1:8420";

  static std::string requestHost();
  static void setRequestHost(std::string_view host);
  static std::string staticMediaHost();
  static void setStaticMediaHost(std::string_view host);

  // request host + "/ad_source.php"
  static std::string adRequestEndpoint();
  // static-media host + "/static/iphone/browser/" + name + ".png", the name
  // escaped as one path component ("/", "?", "#" and the like included)
  static std::string browserIconURL(std::string_view iconName);
  // static-media host + "/static/iphone/img/" + name + ".png", escaped alike
  static std::string actionIconURL(std::string_view iconName);
  // static-media host followed by the host-relative path of a text ad's
  // image; nullopt unless the path starts with "/" and the result is a
  // valid URL on the static-media host itself (same scheme, host and port,
  // no user name of its own).
  static std::optional<std::string> textAdImageURL(std::string_view hostRelativePath);
  // static-media host + "/static/iphone/i18n/20090402/" + language + ".strings";
  // the language code is expected to be escaped by the caller.
  static std::string localizedStringsURL(std::string_view escapedLanguage);
  // static-media host + "/static/iphone/canvas.html"
  static std::string canvasPageURL();
};

}  // namespace pennant
