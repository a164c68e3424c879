#include "ads/PennantAdServer.h"

#include "ads/PennantVersion.h"

namespace pennant {
namespace {

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
  return staticMediaHost() + "/static/iphone/browser/" + std::string(iconName) + ".png";
}

std::string PennantAdServer::actionIconURL(std::string_view iconName) {
  return staticMediaHost() + "/static/iphone/img/" + std::string(iconName) + ".png";
}

std::string PennantAdServer::textAdImageURL(std::string_view hostRelativePath) {
  return staticMediaHost() + std::string(hostRelativePath);
}

std::string PennantAdServer::localizedStringsURL(std::string_view escapedLanguage) {
  return staticMediaHost() + "/static/iphone/i18n/" + kPennantVersion + "/" + std::string(escapedLanguage) +
         ".strings";
}

std::string PennantAdServer::canvasPageURL() { return staticMediaHost() + "/static/iphone/canvas.html"; }

}  // namespace pennant
