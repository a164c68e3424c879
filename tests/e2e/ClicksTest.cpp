// Clicks on the banner in the app, against the bundled ad server: the
// highlight under the finger, the pulse, spinner and icon at their times,
// each action of the sample inventory, the two offers with their buttons and
// acquisitions, and click answers that are empty, "{}", not JSON or of the
// wrong types.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

// Where a finger lands on the banner at the bottom of the screen.
const char* kTapBanner = "down 160 456\nup 160 456\n";

class Clicks : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  std::string book() const { return dir_.path() + "/book"; }
  RunResult run(const AdServerProcess& server, const std::string& script, std::vector<std::string> extra = {}) {
    for (const auto& argument : server.hostArguments()) extra.push_back(argument);
    extra.insert(extra.end(), {"--address-book", book()});
    auto result = AppRun::headless(home(), script, extra);
    EXPECT_EQ(result.status, 0) << result.stderrText;
    return result;
  }
  // The sample inventory with the call ad's click answer replaced.
  std::string inventoryWithCallAnswer(const std::string& clickJson) {
    const char* source = std::getenv("PENNANT_SOURCE_DIR");
    const std::string copy = dir_.path() + "/inventory-" + std::to_string(++inventories_);
    std::filesystem::copy(std::string(source) + "/tools/adserver/inventory", copy,
                          std::filesystem::copy_options::recursive);
    std::ofstream(copy + "/ads/pizza-call.json")
        << R"({"ad": {"text": "Hot pizza", "6": "call", "url": "http://luigis.example/",
                      "jsonp_url": "{{base}}/click/pizza-call", "204": "/static/ads/pizza.png"},
               "click": )"
        << clickJson << "}";
    return copy;
  }
  std::vector<std::string> vcards() const {
    std::vector<std::string> cards;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(book(), error)) {
      if (item.path().extension() != ".vcf") continue;
      std::ifstream in(item.path(), std::ios::binary);
      cards.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return cards;
  }
  static std::vector<std::string> typesAndUrls(const RunResult& run) {
    std::vector<std::string> order;
    for (const auto& e : run.events) {
      if (e.type == "open-url") order.push_back("open " + e.url);
      if (e.type == "alert-button") order.push_back("press");
      if (e.type == "http" && e.line.find("/acquire/") != std::string::npos) order.push_back("acquire");
    }
    return order;
  }
  static std::size_t requestsTo(const AdServerProcess& server, const std::string& path) {
    auto lines = server.logLines();
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find("\"path\":\"" + path + "\"") != std::string::npos;
    }));
  }
  // The banner's part of a view dump.
  static std::string bannerIn(const std::string& dump) {
    auto at = dump.find("\"class\":\"PennantSingleAdView\"");
    return at == std::string::npos ? "" : dump.substr(at, dump.find("\"class\":\"PopupBackdrop\"", at) - at);
  }

  TempDir dir_;
  int inventories_ = 0;
};

TEST_F(Clicks, ATapShadesTheBannerAndTheCallOfferDialsAfterTheAcquisition) {
  AdServerProcess server(dir_.path(), "tools/adserver/inventory", "", {"--only-action", "call"});
  ASSERT_FALSE(server.url().empty());
  auto result = run(server,
                    std::string("wait 1\nscreenshot before\ndown 160 456\nscreenshot touched\nup 160 456\n") +
                        "wait 0.2\nviews pulse\nwait 0.7\nviews spinner\nwait 0.3\nviews after\n"
                        "press \"Call\"\nwait 1\n");
  // Grey at half strength over the black banner, where the finger is.
  auto before = pixelAt(*result.screenshot("before"), 100, 470);
  auto touched = pixelAt(*result.screenshot("touched"), 100, 470);
  EXPECT_TRUE(isNearlyBlack(before));
  EXPECT_NEAR(touched.r, 64, 8);

  EXPECT_NE(bannerIn(result.file("pulse.json")).find("\"scale\":[1.4,1.4]"), std::string::npos)
      << bannerIn(result.file("pulse.json"));
  EXPECT_NE(bannerIn(result.file("spinner.json")).find("\"class\":\"ActivityIndicatorView\""), std::string::npos);
  EXPECT_EQ(bannerIn(result.file("spinner.json")).find("\"layers\""), std::string::npos) << "no icon while spinning";
  const std::string after = bannerIn(result.file("after.json"));
  EXPECT_EQ(after.find("ActivityIndicatorView"), std::string::npos) << after;
  EXPECT_NE(after.find("\"scale\":[1,1]"), std::string::npos) << after;

  auto alerts = result.ofType("alert");
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_NE(alerts[0].line.find(R"("title":"Call +15555550123?","message":null,"buttons":["Cancel","Call"])"),
            std::string::npos)
      << alerts[0].line;
  EXPECT_EQ(typesAndUrls(result), (std::vector<std::string>{"press", "acquire", "open tel:+15555550123"}));
  EXPECT_EQ(requestsTo(server, "/acquire/pizza-call"), 1u);
}

TEST_F(Clicks, CancelDialsNothingAndAFailingAcquisitionStillDialsOnce) {
  AdServerProcess server(dir_.path(), "tools/adserver/inventory", R"([{"path":"/acquire/pizza-call","status":500}])",
                         {"--only-action", "call"});
  auto cancelled = run(server, std::string("wait 1\n") + kTapBanner + "wait 0.5\npress \"Cancel\"\nwait 2\n");
  EXPECT_TRUE(cancelled.ofType("open-url").empty());
  EXPECT_EQ(requestsTo(server, "/acquire/pizza-call"), 0u);

  auto failing = run(server, std::string("wait 1\n") + kTapBanner + "wait 0.5\npress \"Call\"\nwait 2\n");
  EXPECT_EQ(typesAndUrls(failing), (std::vector<std::string>{"press", "acquire", "open tel:+15555550123"}));
  EXPECT_EQ(failing.logLines(), (std::vector<std::string>{"Failed to record click-to-call acquisition.",
                                                          "Opening URL (not handed on): tel:+15555550123"}));
}

TEST_F(Clicks, AddWritesOneEntryWithItsPictureAndRecordsTheAcquisitionAfterIt) {
  AdServerProcess server(dir_.path(), "tools/adserver/inventory", "", {"--only-action", "contact"});
  const std::string addOnce = std::string(kTapBanner) + "wait 0.5\npress \"Add\"\nwait 2\n";
  auto result = run(server, "wait 1\n" + addOnce + addOnce);
  auto alerts = result.ofType("alert");
  ASSERT_EQ(alerts.size(), 2u);
  EXPECT_NE(alerts[0].line.find(R"("title":"Add Sunrise Bakery to your Address Book?")"), std::string::npos);
  auto cards = vcards();
  ASSERT_EQ(cards.size(), 1u) << "adding twice leaves one entry";
  for (const char* part : {"KIND:org", "ORG:Sunrise Bakery", "TEL;TYPE=work:+1 555 555 0188", "PHOTO:data:image/png",
                           ":;;12 Mill Lane;Springfield;OR;97477;United States"}) {
    EXPECT_NE(cards[0].find(part), std::string::npos) << part << "\n" << cards[0];
  }
  const auto lines = result.logLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Added contact Sunrise Bakery to the address book."), 4)
      << "each add writes the entry, then again with its picture";
  EXPECT_EQ(requestsTo(server, "/acquire/bakery-contact"), 2u);
  // The entry is written before the acquisition is asked for.
  auto added = std::find_if(result.events.begin(), result.events.end(), [](const Event& e) {
    return e.type == "log" && e.text == "Added contact Sunrise Bakery to the address book.";
  });
  auto acquired = std::find_if(result.events.begin(), result.events.end(), [](const Event& e) {
    return e.type == "http" && e.line.find("/acquire/") != std::string::npos;
  });
  EXPECT_LT(added, acquired);
}

// The "url" and "canvas" actions open web views: WebDestinationsTest.
TEST_F(Clicks, EveryOtherActionOfTheInventory) {
  struct Case {
    std::string action;
    std::vector<std::string> log;
    std::string opened;
  };
  for (const Case& c : std::vector<Case>{
           {"itunes", {"Opening URL (not handed on): "}, "/static/landing/game.html"},
       }) {
    AdServerProcess server(dir_.path(), "tools/adserver/inventory", "", {"--only-action", c.action});
    auto result = run(server, std::string("wait 1\n") + kTapBanner + "wait 2\nviews after\n");
    auto log = c.log;
    if (!c.opened.empty()) log[0] += server.url() + c.opened;
    EXPECT_EQ(result.logLines(), log) << c.action;
    auto opened = result.ofType("open-url");
    if (c.opened.empty()) {
      EXPECT_TRUE(opened.empty()) << c.action;
    } else {
      ASSERT_EQ(opened.size(), 1u) << c.action;
      EXPECT_EQ(opened[0].url, server.url() + c.opened);
    }
    EXPECT_EQ(bannerIn(result.file("after.json")).find("ActivityIndicatorView"), std::string::npos) << c.action;
  }
}

TEST_F(Clicks, UnusableClickAnswersEndTheSpinnerAndOpenNothing) {
  struct Case {
    std::string answer;  // the call ad's click answer, or a fault
    std::string fault;
    std::vector<std::string> log;
  };
  for (const Case& c : std::vector<Case>{
           {"{}", "", {"No phone number in click response."}},
           {R"({"redirect_url": 5550123})", "", {}},
           {R"({"redirect_url": ["tel:5550123"], "acquisition_url": {}})", "", {}},
           {R"({"redirect_url": "tel://", "acquisition_url": 7})", "", {"Empty phone number in click response."}},
           {"{}", R"([{"path":"/click/pizza-call","garbage":true}])", {"No phone number in click response."}},
           {"{}", R"([{"path":"/click/pizza-call","status":500}])", {}},
           {"{}", R"([{"path":"/click/pizza-call","truncate":true}])", {}},
       }) {
    AdServerProcess server(dir_.path(), inventoryWithCallAnswer(c.answer), c.fault, {"--only-action", "call"});
    auto result = run(server, std::string("wait 1\n") + kTapBanner + "wait 2\nviews after\n");
    const std::string label = c.answer + " " + c.fault;
    EXPECT_EQ(result.logLines(), c.log) << label;
    EXPECT_TRUE(result.ofType("alert").empty()) << label;
    EXPECT_TRUE(result.ofType("open-url").empty()) << label;
    const std::string after = bannerIn(result.file("after.json"));
    EXPECT_EQ(after.find("ActivityIndicatorView"), std::string::npos) << label;
    EXPECT_NE(after.find("\"scale\":[1,1]"), std::string::npos) << label << after;
  }
}

}  // namespace
}  // namespace e2e
