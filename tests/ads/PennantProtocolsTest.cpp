#include <gtest/gtest.h>

#include "ads/PennantAdServer.h"
#include "ads/PennantDelegate.h"
#include "ads/PennantDelegateDefaults.h"

namespace pennant {
namespace {

using platform::graphics::Color;

class OnlyPublisher : public PennantDelegate {
 public:
  std::optional<std::string> publisherId() override { return "a15c2be9f174da6"; }
};

class AnswersEverything : public OnlyPublisher {
 public:
  std::optional<Color> adBackgroundColor() override { return background; }
  std::optional<Color> adTextColor() override { return Color::blackColor(); }
  std::optional<bool> useGraySpinner() override { return true; }
  std::optional<bool> mayAskForLocation() override { return true; }
  std::optional<bool> useTestAd() override { return true; }
  std::optional<bool> useEmbeddedWebView() override { return false; }
  std::optional<Color> background = Color::blackColor();
};

TEST(PennantDelegateDefaults, AHostThatOnlyNamesItsPublisherGetsEveryDefault) {
  OnlyPublisher host;
  EXPECT_EQ(PennantDelegateDefaults::adBackgroundColor(&host),
            Color::colorWithRedGreenBlueAlpha(0.443, 0.514, 0.631, 1.0));
  EXPECT_EQ(PennantDelegateDefaults::adTextColor(&host), Color::whiteColor());
  EXPECT_FALSE(PennantDelegateDefaults::useGraySpinner(&host));
  EXPECT_FALSE(PennantDelegateDefaults::mayAskForLocation(&host));
  EXPECT_FALSE(PennantDelegateDefaults::useTestAd(&host));
  EXPECT_TRUE(PennantDelegateDefaults::useEmbeddedWebView(&host));
  EXPECT_FALSE(host.location().has_value());
  EXPECT_FALSE(host.presentWebView(nullptr)) << "not implemented: the system opens the URL";
  EXPECT_FALSE(host.adserverEndpoint().has_value());
}

TEST(PennantDelegateDefaults, AnswersWinAndANullColourFallsBack) {
  AnswersEverything host;
  EXPECT_EQ(PennantDelegateDefaults::adBackgroundColor(&host), Color::blackColor());
  EXPECT_EQ(PennantDelegateDefaults::adTextColor(&host), Color::blackColor());
  EXPECT_TRUE(PennantDelegateDefaults::useGraySpinner(&host));
  EXPECT_TRUE(PennantDelegateDefaults::mayAskForLocation(&host));
  EXPECT_TRUE(PennantDelegateDefaults::useTestAd(&host));
  EXPECT_FALSE(PennantDelegateDefaults::useEmbeddedWebView(&host));
  host.background.reset();
  EXPECT_EQ(PennantDelegateDefaults::adBackgroundColor(&host), PennantDelegateDefaults::kDefaultBackgroundColor);
  EXPECT_EQ(PennantDelegateDefaults::adBackgroundColor(nullptr), PennantDelegateDefaults::kDefaultBackgroundColor);
}

TEST(PennantAdServer, BuildsEveryPathOnItsHost) {
  PennantAdServer::setRequestHost("http://ads.test:81/");
  PennantAdServer::setStaticMediaHost("http://media.test");
  EXPECT_EQ(PennantAdServer::adRequestEndpoint(), "http://ads.test:81/ad_source.php");
  EXPECT_EQ(PennantAdServer::browserIconURL("back_disable"), "http://media.test/static/iphone/browser/back_disable.png");
  EXPECT_EQ(PennantAdServer::actionIconURL("call"), "http://media.test/static/iphone/img/call.png");
  EXPECT_EQ(PennantAdServer::textAdImageURL("/static/ads/1.png"), "http://media.test/static/ads/1.png");
  EXPECT_EQ(PennantAdServer::localizedStringsURL("es"), "http://media.test/static/iphone/i18n/20090402/es.strings");
  EXPECT_EQ(PennantAdServer::canvasPageURL(), "http://media.test/static/iphone/canvas.html");
  // Names and paths from the server cannot leave the host.
  EXPECT_EQ(PennantAdServer::actionIconURL("../a/b?c#d e"), "http://media.test/static/iphone/img/..%2Fa%2Fb%3Fc%23d%20e.png");
  for (const char* path : {"@127.0.0.1:9/x", ":81/x", ".evil.test/x", "x", "?q=1", "#f", "", "/a b", "/a\\b"}) {
    EXPECT_EQ(PennantAdServer::textAdImageURL(path), std::nullopt) << path;
  }
  EXPECT_EQ(PennantAdServer::textAdImageURL("//other.test/x"), "http://media.test//other.test/x") << "a path, not a host";
  PennantAdServer::setStaticMediaHost("http://user@media.test:8420");
  EXPECT_EQ(PennantAdServer::textAdImageURL("/a.png"), "http://user@media.test:8420/a.png");
  PennantAdServer::setRequestHost(PennantAdServer::kDefaultRequestHost);
  PennantAdServer::setStaticMediaHost(PennantAdServer::kDefaultStaticMediaHost);
}

}  // namespace
}  // namespace pennant
