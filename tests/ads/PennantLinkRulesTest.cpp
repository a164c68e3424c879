// The embedded browser's link rules with the host lists the app ships, on
// the kinds of links pages really carry, and with host lists that are
// missing, malformed or hostile.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "AdsTestSupport.h"
#include "ClickTestSupport.h"
#include "ads/destinations/PennantLinkRules.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"

namespace pennant {
namespace {

using Decision = PennantLinkRules::Decision;

std::string shippedRulesText() {
  const char* source = std::getenv("PENNANT_SOURCE_DIR");
  auto text = platform::FileManager::contentsAtPath(std::string(source ? source : ".") + "/assets/link-rules.strings");
  return text.value_or("");
}

struct Case {
  const char* url;
  Decision decision;
};

void expectDecisions(const PennantLinkRules& rules, const std::vector<Case>& cases) {
  for (const auto& c : cases) {
    EXPECT_EQ(PennantLinkRules::nameOfDecision(rules.decisionForURL(c.url)), PennantLinkRules::nameOfDecision(c.decision))
        << c.url;
  }
}

TEST(PennantLinkRulesTest, TheShippedListsSendMapsVideosAndTheStoreToTheSystem) {
  const auto rules = PennantLinkRules::fromStringsText(shippedRulesText());
  ASSERT_EQ(rules.mapHostPrefixes().size(), 2u);
  ASSERT_EQ(rules.videoHosts().size(), 2u);
  ASSERT_EQ(rules.storeHostPrefixes().size(), 4u);
  expectDecisions(rules, {
                             {"file:///etc/passwd", Decision::Refuse},
                             {"file://localhost/home/user/.ssh/id_rsa", Decision::Refuse},
                             {"about:blank", Decision::Load},
                             {"mailto:shop@stride.example?subject=Hello", Decision::System},
                             {"tel:+15555550123", Decision::System},
                             {"sms:5550123", Decision::System},
                             {"javascript:alert(1)", Decision::System},
                             {"http://maps.google.com/maps?q=Springfield", Decision::System},
                             {"https://maps.google.de/", Decision::System},
                             {"http://maps.yahoo.com/", Decision::System},
                             {"http://www.google.com/maps", Decision::Load},
                             {"http://www.youtube.com/watch?v=abc", Decision::System},
                             {"http://youtube.com/v/abc", Decision::System},
                             {"https://www.youtube.com/watchlist", Decision::System},
                             {"http://www.youtube.com/user/stride", Decision::Load},
                             {"http://m.youtube.com/watch?v=abc", Decision::Load},
                             {"http://notyoutube.com/watch?v=abc", Decision::Load},
                             {"http://www.youtube.com.evil.example/watch", Decision::Load},
                             {"http://itunes.apple.com/app/id1", Decision::System},
                             {"http://ax.itunes.apple.com/", Decision::System},
                             {"http://phobos.apple.com/WebObjects/MZStore.woa", Decision::System},
                             {"http://ax.phobos.apple.com.edgesuite.net/", Decision::System},
                             {"http://www.apple.com/itunes/", Decision::Load},
                             {"http://127.0.0.1:8420/static/landing/shoes.html", Decision::Load},
                             {"https://stride-shoes.example/?q=maps.google.", Decision::Load},
                         });
}

TEST(PennantLinkRulesTest, ListsThatAreMissingOrMalformedSendNoWebPageAway) {
  for (const char* text : {"", "not a property list (", R"("MapHostPrefixes" = "maps.google.";)",
                           R"("VideoHosts" = (("youtube.com")); "StoreHostPrefixes" = {"a" = "b";};)"}) {
    testing::LogCapture log;
    const auto rules = PennantLinkRules::fromStringsText(text);
    expectDecisions(rules, {{"http://maps.google.com/", Decision::Load},
                            {"http://www.youtube.com/watch", Decision::Load},
                            {"http://itunes.apple.com/", Decision::Load},
                            {"file:///etc/passwd", Decision::Refuse},
                            {"tel:1", Decision::System}});
  }
  // A prefix without its final dot would take any host of anybody's
  // choosing ("" takes them all): such entries are left out.
  const auto hostile = PennantLinkRules::fromStringsText(
      R"("MapHostPrefixes" = ("", "maps", "maps.good."); "StoreHostPrefixes" = ("", 7, "store.");)");
  EXPECT_EQ(hostile.mapHostPrefixes(), std::vector<std::string>{"maps.good."});
  EXPECT_EQ(hostile.storeHostPrefixes(), std::vector<std::string>{"store."});
  expectDecisions(hostile, {{"http://mapsforall.example/", Decision::Load},
                            {"http://anything.example/", Decision::Load},
                            {"http://maps.good.example/", Decision::System}});
}

TEST(PennantLinkRulesTest, TheBundleProvidesTheListsAndTheirAbsenceIsLogged) {
  testing::testHome();
  const std::string folder = testing::testHome() + "/link-rules-bundle";
  std::filesystem::create_directories(folder);
  auto& bundle = platform::Bundle::mainBundle();
  bundle.setResourcePath(folder);
  {
    testing::LogCapture log;
    const auto rules = PennantLinkRules::fromMainBundle();
    EXPECT_EQ(rules.decisionForURL("http://maps.google.com/"), Decision::Load);
    // The bundle names the missing file; the library says what follows.
    EXPECT_EQ(log.lines().back(),
              "Pennant: no link rules (link-rules.strings) in the app's bundle; every web page opens in the browser");
  }
  std::ofstream(folder + "/link-rules.strings") << shippedRulesText();
  EXPECT_EQ(PennantLinkRules::fromMainBundle().decisionForURL("http://maps.google.com/"), Decision::System);
  bundle.setResourcePath(std::nullopt);
}

}  // namespace
}  // namespace pennant
