#include "ads/PennantAdServer.h"

#include "ads/PennantVersion.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/Url.h"

namespace pennant {
namespace {

// Everything but letters, digits and - . _ ~ is escaped, so a name stays
// one path component whatever it holds.
std::string escapedPathComponent(std::string_view name) {
  return platform::PercentEscapes::addingPercentEscapes(name, platform::StringEncoding::UTF8, "!#$&'()*+,/:;=?@[]")
      .value_or("");
}

bool sameOrigin(const platform::Url& a, const platform::Url& b) {
  return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port() && a.user() == b.user();
}

std::string withoutTrailingSlashes(std::string_view host) {
  while (!host.empty() && host.back() == '/') host.remove_suffix(1);
  return std::string(host);
}

std::string& requestHostStorage() {
  static std::string host = PennantAdServer::kDefaultRequestHost;
  return host;
}

std::string& staticMediaHostStorage() {
  static std::string host = PennantAdServer::kDefaultStaticMediaHost;
  return host;
}

}  // namespace

std::string PennantAdServer::requestHost() { return requestHostStorage(); }

void PennantAdServer::setRequestHost(std::string_view host) { requestHostStorage() = withoutTrailingSlashes(host); }

std::string PennantAdServer::staticMediaHost() { return staticMediaHostStorage(); }

void PennantAdServer::setStaticMediaHost(std::string_view host) {
  staticMediaHostStorage() = withoutTrailingSlashes(host);
}

std::string PennantAdServer::adRequestEndpoint() { return requestHost() + "/ad_source.php"; }

std::string PennantAdServer::browserIconURL(std::string_view iconName) {
  return staticMediaHost() + "/static/iphone/browser/" + escapedPathComponent(iconName) + ".png";
}

std::string PennantAdServer::actionIconURL(std::string_view iconName) {
  return staticMediaHost() + "/static/iphone/img/" + escapedPathComponent(iconName) + ".png";
}

std::optional<std::string> PennantAdServer::textAdImageURL(std::string_view hostRelativePath) {
  // Without the leading slash the text would run on into the host's
  // authority: "@other/x" makes the host a user name, ":81/x" changes the
  // port, ".evil.test/x" the host.
  if (!hostRelativePath.starts_with('/')) return std::nullopt;
  const std::string host = staticMediaHost();
  std::string url = host + std::string(hostRelativePath);
  auto parsed = platform::Url::URLWithString(url);
  auto configured = platform::Url::URLWithString(host);
  if (!parsed || !configured || !sameOrigin(*parsed, *configured)) return std::nullopt;
  return url;
}

std::string PennantAdServer::localizedStringsURL(std::string_view escapedLanguage) {
  return staticMediaHost() + "/static/iphone/i18n/" + kPennantVersion + "/" + std::string(escapedLanguage) +
         ".strings";
}

std::string PennantAdServer::canvasPageURL() { return staticMediaHost() + "/static/iphone/canvas.html"; }

}  // namespace pennant
