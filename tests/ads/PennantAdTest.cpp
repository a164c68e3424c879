#include "ads/PennantAd.h"

#include <gtest/gtest.h>

#include <ctime>
#include <set>

#include "AdServerFixture.h"
#include "AdTestDelegates.h"
#include "ads/PennantImageCache.h"
#include "ads/PennantLocationManager.h"
#include "platform/foundation/FileManager.h"
#include "platform/location/FixSchedule.h"
#include "tests/support/DecimalCommaLocale.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileManager.h"

namespace pennant {
namespace {

using platform::FileManager;
using testing::RecordingController;
using testing::ScriptedHost;

const char* kTextAd = R"({"text":"Fresh bread daily","6":"url","url":"http://bakery.test/",
  "jsonp_url":"{{base}}/click/1","204":"/static/ads/bread.png","8":"Bakery"})";
const char* kBannerAd = R"({"banner":"{{base}}/banners/b1.png","6":"canvas","18":"canvas","url":"http://x.test/",
  "cpm_url":"{{base}}/pixel/cpm","tracking_pixel":"{{base}}/pixel/track"})";

class PennantAdTest : public ::testing::Test {
 protected:
  std::shared_ptr<PennantAd> makeAd(int format = 0) {
    auto ad = PennantAd::initWithAdFormat(format);
    ad->setDelegate(host);
    ad->setAdDelegate(controller);
    return ad;
  }
  // Runs until the ad reported something (or nothing more can happen).
  void load(const std::shared_ptr<PennantAd>& ad) {
    ad->request();
    loop.runUntil([this] { return !controller->events.empty(); });
  }
  std::multimap<std::string, std::string> adRequestParams() {
    for (const auto& request : server.server.requests())
      if (request.path == "/ad_source.php") return request.params;
    return {};
  }
  std::string adRequestQuery(const std::shared_ptr<PennantAd>& ad) {
    auto parameters = ad->buildParams();
    return parameters ? PennantAd::queryStringFromDictionary(*parameters).value_or("!") : "";
  }

  testing::TestLoop loop;
  testing::AdServerFixture server;
  std::shared_ptr<ScriptedHost> host = std::make_shared<ScriptedHost>();
  std::shared_ptr<RecordingController> controller = std::make_shared<RecordingController>();
};

TEST_F(PennantAdTest, ATextAdLoadsItsIconsRequestAndImages) {
  server.setAnswer(kTextAd);
  auto ad = makeAd();
  EXPECT_FALSE(ad->readyForDisplay());
  load(ad);

  ASSERT_EQ(controller->events, std::vector<std::string>{"load"});
  EXPECT_EQ(controller->last, ad);
  EXPECT_EQ(ad->state(), PennantAd::State::Ready);
  EXPECT_TRUE(ad->readyForDisplay());
  EXPECT_EQ(ad->medium(), PennantAd::Medium::Text);
  EXPECT_EQ(ad->text(), "Fresh bread daily");
  EXPECT_EQ(ad->action(), "url");
  EXPECT_EQ(ad->actionImageName(), "url") << "no \"18\": the action names the icon";
  EXPECT_EQ(ad->userString(), "Bakery");
  ASSERT_NE(ad->userImage(), nullptr);
  ASSERT_NE(ad->actionImage(), nullptr);
  EXPECT_TRUE(ad->activeDownloads()->empty());

  // The strings file and the four browser icons (fetched side by side, so
  // they may arrive in any order), then the request, then the two images.
  auto paths = server.paths();
  ASSERT_EQ(paths.size(), 8u);
  std::set<std::string> first(paths.begin(), paths.begin() + 5);
  EXPECT_EQ(first, (std::set<std::string>{"/static/iphone/i18n/20090402/en.strings", "/static/iphone/browser/back.png",
                                          "/static/iphone/browser/back_disable.png", "/static/iphone/browser/forward.png",
                                          "/static/iphone/browser/forward_disable.png"}));
  EXPECT_EQ(paths[5], "/ad_source.php");
  EXPECT_EQ((std::set<std::string>{paths[6], paths[7]}),
            (std::set<std::string>{"/static/ads/bread.png", "/static/iphone/img/url.png"}));
  EXPECT_EQ(server.countOf("/ad_source.php"), 1u);
  EXPECT_EQ(server.countOf("/static/ads/bread.png"), 1u);
  EXPECT_EQ(server.countOf("/static/iphone/img/url.png"), 1u);
  // Icons and the action icon are cached on disk; the ad's picture is not.
  auto& cache = PennantImageCache::sharedCache();
  for (const char* name : {"back", "back_disable", "forward", "forward_disable", "url"})
    EXPECT_TRUE(cache.imageIsInCache(name)) << name;
  EXPECT_FALSE(cache.imageIsInCache("bread.png"));
}

TEST_F(PennantAdTest, IconsFromTheServerAreCachedAsTheyCame) {
  // Pictures whose bytes no encoder of ours would write.
  auto served = [](const char* comment) {
    auto bytes = testimages::withTextChunk(testimages::encode("png", 30, 30, testimages::checker), comment);
    return std::string(bytes.begin(), bytes.end());
  };
  server.setBody("/static/iphone/browser/back.png", served("back"));
  server.setBody("/static/iphone/img/url.png", served("url"));
  server.setAnswer(kTextAd);
  load(makeAd());
  ASSERT_EQ(controller->events, std::vector<std::string>{"load"});

  const std::string folder = PennantImageCache::imageCacheDirectory();
  EXPECT_EQ(FileManager::contentsAtPath(folder + "/back"), served("back"));
  EXPECT_EQ(FileManager::contentsAtPath(folder + "/url"), served("url"));
  // What the second ad takes from the cache is what the first one showed.
  auto second = makeAd();
  controller->events.clear();
  load(second);
  ASSERT_EQ(controller->events, std::vector<std::string>{"load"});
  EXPECT_EQ(server.countOf("/static/iphone/img/url.png"), 1u);
  ASSERT_NE(second->actionImage(), nullptr);
  EXPECT_EQ(second->actionImage()->rgbaPixels(), platform::graphics::Image::imageWithData(served("url"))->rgbaPixels());
}

TEST_F(PennantAdTest, WithEverythingCachedTheRequestLeavesFromWithinRequest) {
  server.setAnswer(kTextAd);
  load(makeAd());
  controller->events.clear();

  auto second = makeAd();
  second->request();
  EXPECT_EQ(second->state(), PennantAd::State::RequestingAd) << "sent before request() returned";
  loop.runUntil([this] { return !controller->events.empty(); });
  EXPECT_EQ(controller->events, std::vector<std::string>{"load"});
  EXPECT_EQ(server.countOf("/static/iphone/browser/back.png"), 1u);
  EXPECT_EQ(server.countOf("/static/iphone/img/url.png"), 1u) << "the action icon came from the cache";
  EXPECT_EQ(server.countOf("/static/ads/bread.png"), 2u);
}

TEST_F(PennantAdTest, ACachedIconThatNoLongerDecodesIsFetchedAgain) {
  server.setAnswer(kTextAd);
  load(makeAd());
  controller->events.clear();
  // Both files are still fresh, but another program spoiled them.
  const std::string folder = PennantImageCache::imageCacheDirectory();
  platform::FileManager::writeContentsAtomically(folder + "/url", "not a picture any more");
  platform::FileManager::writeContentsAtomically(folder + "/back", "\x89PNG\r\n\x1a\n cut short");

  auto ad = makeAd();
  load(ad);
  ASSERT_EQ(controller->events, std::vector<std::string>{"load"});
  EXPECT_NE(ad->actionImage(), nullptr) << "the spoiled action icon was downloaded again";
  EXPECT_EQ(server.countOf("/static/iphone/img/url.png"), 2u);
  EXPECT_EQ(server.countOf("/static/iphone/browser/back.png"), 2u);
  EXPECT_EQ(server.countOf("/static/iphone/browser/forward.png"), 1u);
  EXPECT_TRUE(PennantImageCache::sharedCache().imageIsInCache("url"));
}

TEST_F(PennantAdTest, PicturesLargerThanTheirPlaceFailTheAd) {
  host->embedded = false;
  struct Case {
    const char* answer;
    const char* path;
    int width, height;
    bool loads;
  };
  for (const Case& c : std::initializer_list<Case>{
           {kBannerAd, "/banners/b1.png", 320, 48, true},
           {kBannerAd, "/banners/b1.png", 4096, 4096, false},
           {kBannerAd, "/banners/b1.png", 321, 48, false},
           {kTextAd, "/static/ads/bread.png", 48, 48, true},
           {kTextAd, "/static/ads/bread.png", 48, 49, false},
           {kTextAd, "/static/iphone/img/url.png", 64, 64, false},
       }) {
    testing::AdServerFixture::clearImageCache();
    controller->events.clear();
    server.setAnswer(c.answer);
    // The huge one only claims its size: it is refused from its header.
    auto bytes = c.width > 1000 ? testimages::withPngSize(testimages::encode("png", 8, 8, testimages::checker),
                                                          static_cast<std::uint32_t>(c.width),
                                                          static_cast<std::uint32_t>(c.height))
                                : testimages::encode("png", c.width, c.height, testimages::checker);
    server.setBody(c.path, std::string(bytes.begin(), bytes.end()));
    load(makeAd());
    EXPECT_EQ(controller->events, std::vector<std::string>{c.loads ? "load" : "fail"})
        << c.path << " " << c.width << "x" << c.height;
    server.setBody(c.path, testing::pngBytes(c.path[1] == 'b' ? 320 : 30, c.path[1] == 'b' ? 48 : 30));
  }
}

TEST_F(PennantAdTest, ASecondRequestHasNoEffect) {
  server.setAnswer(kTextAd);
  auto ad = makeAd();
  load(ad);
  ad->request();
  loop.runUntil([] { return false; });
  EXPECT_EQ(server.countOf("/ad_source.php"), 1u);
  EXPECT_EQ(controller->events.size(), 1u);
}

TEST_F(PennantAdTest, WithoutTheEmbeddedBrowserNoIconIsFetched) {
  host->embedded = false;
  server.setAnswer(kTextAd);
  load(makeAd());
  EXPECT_EQ(controller->events, std::vector<std::string>{"load"});
  for (const auto& path : server.paths()) EXPECT_EQ(path.find("/static/iphone/browser/"), std::string::npos) << path;
}

TEST_F(PennantAdTest, ABannerWithACachedIconLoadsOnlyItsPictureAndFiresPixelsOnce) {
  host->embedded = false;
  server.setAnswer(kBannerAd);
  load(makeAd());  // caches the "canvas" icon
  controller->events.clear();

  auto ad = makeAd();
  load(ad);
  ASSERT_EQ(controller->events, std::vector<std::string>{"load"});
  EXPECT_EQ(ad->medium(), PennantAd::Medium::Banner);
  EXPECT_EQ(ad->userImage()->pixelWidth(), 320);
  EXPECT_EQ(server.countOf("/static/iphone/img/canvas.png"), 1u);
  EXPECT_EQ(ad->accountingPixelUrl(), server.server.url("/pixel/cpm"));
  EXPECT_EQ(ad->trackingPixelUrl(), server.server.url("/pixel/track"));

  // The pixels keep the ad alive: the controller lets it go at once.
  std::weak_ptr<PennantAd> weakAd = ad;
  for (int draw = 0; draw < 5; ++draw) ad->loadAccountingPixel();
  controller->last.reset();
  ad.reset();
  EXPECT_FALSE(weakAd.expired()) << "held by its pixels";
  loop.runUntil([&] { return weakAd.expired(); });
  EXPECT_TRUE(weakAd.expired()) << "released when both pixels ended";
  EXPECT_EQ(server.countOf("/pixel/cpm"), 1u);
  EXPECT_EQ(server.countOf("/pixel/track"), 1u);
}

TEST_F(PennantAdTest, AnswersAreAcceptedOnlyWithTheirRequiredKeys) {
  struct Case {
    const char* answer;
    bool loads;
    int medium;
  };
  host->embedded = false;
  for (const Case& c : std::initializer_list<Case>{
           {R"({"banner":"{{base}}/banners/a.png","6":"url","url":"u"})", true, 1},
           {R"({"6":"url","url":"u"})", false, 0},
           {R"({"banner":"{{base}}/banners/a.png","204":"/static/ads/x.png","6":"url","url":"u","text":"t"})", true, 1},
           {R"({"text":"t","6":"url","204":"/static/ads/x.png"})", false, 0},
           {R"({"text":"t","url":"u","204":"/static/ads/x.png"})", false, 0},
           {R"({"text":"t","6":7,"url":"u","204":"/static/ads/x.png"})", false, 0},
           {R"({"text":"t","6":"url","url":"u"})", false, 0},
           {R"( {"text":"t","6":"url","url":"u","204":"/static/ads/x.png"})", false, 0},
           {R"([1,2])", false, 0},
           {"", false, 0},
       }) {
    controller->events.clear();
    server.setAnswer(c.answer);
    auto ad = makeAd();
    load(ad);
    ASSERT_EQ(controller->events.size(), 1u) << c.answer;
    EXPECT_EQ(controller->events[0], c.loads ? "load" : "fail") << c.answer;
    EXPECT_EQ(static_cast<int>(ad->medium()), c.medium) << c.answer;
    if (!c.loads) {
      EXPECT_EQ(ad->state(), PennantAd::State::Failed);
      EXPECT_EQ(ad->activeDownloads(), nullptr);
    }
  }
}

TEST_F(PennantAdTest, PixelUrlsAreKeptForBannersOnlyAndNeverEmpty) {
  host->embedded = false;
  server.setAnswer(R"({"text":"t","6":"url","url":"u","204":"/static/ads/x.png","cpm_url":"{{base}}/pixel/c"})");
  auto text = makeAd();
  load(text);
  EXPECT_EQ(text->accountingPixelUrl(), std::nullopt);
  text->loadAccountingPixel();
  loop.runUntil([] { return false; });
  EXPECT_EQ(server.countOf("/pixel/c"), 0u);

  server.setAnswer(R"({"banner":"{{base}}/banners/a.png","6":"url","url":"u","cpm_url":"","tracking_pixel":""})");
  auto banner = makeAd();
  load(banner);
  EXPECT_EQ(banner->accountingPixelUrl(), std::nullopt);
  EXPECT_EQ(banner->trackingPixelUrl(), std::nullopt);
}

TEST_F(PennantAdTest, ImagesThatAreNotPicturesFailTheAd) {
  host->embedded = false;
  server.setAnswer(kTextAd);
  server.setBody("/static/iphone/img/url.png", "<html>not a picture</html>");
  auto ad = makeAd();
  load(ad);
  EXPECT_EQ(controller->events, std::vector<std::string>{"fail"});
  EXPECT_FALSE(PennantImageCache::sharedCache().imageIsInCache("url"));

  controller->events.clear();
  host->embedded.reset();
  server.setBody("/static/iphone/browser/forward.png", "GIF89a truncated");
  auto second = makeAd();
  load(second);
  EXPECT_EQ(controller->events, std::vector<std::string>{"fail"});
  EXPECT_EQ(server.countOf("/ad_source.php"), 1u) << "a bad icon fails the ad before it is requested";
}

TEST_F(PennantAdTest, AServerPathNeverLeavesTheMediaHost) {
  host->embedded = false;
  testing::LoopbackServer other;
  other.server().Get(R"(/.*)", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(testing::pngBytes(30, 30), "image/png");
  });
  const std::string port = std::to_string(std::stoi(other.url("").substr(other.url("").rfind(':') + 1)));
  for (const std::string& path : {"@127.0.0.1:" + port + "/x.png", ":" + port + "/x.png", std::string("static/x.png")}) {
    controller->events.clear();
    server.setAnswer(R"({"text":"t","6":"url","url":"u","204":")" + path + R"("})");
    auto ad = makeAd();
    load(ad);
    EXPECT_EQ(controller->events, std::vector<std::string>{"fail"}) << path;
    EXPECT_EQ(ad->medium(), PennantAd::Medium::Text) << "accepted as a text ad; only its picture failed";
  }
  EXPECT_TRUE(other.requests().empty()) << "no request went to another host or port";

  // An icon name from the server stays one path component on the host.
  controller->events.clear();
  server.setAnswer(R"({"text":"t","6":"url","18":"../../other?x#y","url":"u","204":"/static/ads/a.png"})");
  load(makeAd());
  EXPECT_EQ(controller->events, std::vector<std::string>{"load"});
  EXPECT_EQ(server.countOf("/static/iphone/img/../../other?x#y.png"), 1u);
}

TEST_F(PennantAdTest, AServerErrorOrNoServerFailsTheAd) {
  host->embedded = false;
  server.setAnswer("{\"error\":true}", 500);
  load(makeAd());
  EXPECT_EQ(controller->events, std::vector<std::string>{"fail"});

  controller->events.clear();
  host->endpoint = "http://127.0.0.1:" + std::to_string(testing::closedPort()) + "/ads";
  load(makeAd());
  EXPECT_EQ(controller->events, std::vector<std::string>{"fail"});
}

TEST_F(PennantAdTest, AnAdThatCannotEvenStartItsRequestFailsInsideRequest) {
  host->embedded = false;
  host->endpoint = "not a url";
  auto ad = makeAd();
  ad->request();
  EXPECT_EQ(controller->events, std::vector<std::string>{"fail"});
  EXPECT_EQ(ad->state(), PennantAd::State::Failed);
}

TEST_F(PennantAdTest, AnAdWhoseControllerIsGoneReportsToNobody) {
  host->embedded = false;
  server.setAnswer(kTextAd);
  auto ad = makeAd();
  ad->request();
  controller.reset();
  loop.runUntil([&] { return ad->state() == PennantAd::State::Ready || ad->state() == PennantAd::State::Failed; });
  EXPECT_EQ(ad->state(), PennantAd::State::Ready);
}

TEST_F(PennantAdTest, AHostThatOnlyNamesItsPublisherSendsTheSevenPairs) {
  auto& device = platform::Device::currentDevice();
  auto saved = device.uniqueIdentifier();
  device.setUniqueIdentifier(std::nullopt);
  auto ad = makeAd();
  EXPECT_EQ(adRequestQuery(ad),
            "s=a15c2be9f174da6&f=jsonp&v=20090402-iSDK-5096df531ccfaf53&ex=1&client_sdk=1&ad_type=bar&l=en");
  device.setUniqueIdentifier(saved);
  EXPECT_NE(adRequestQuery(ad).find("&isu=0123456789abcdef0123456789abcdef01234567&"), std::string::npos);
  EXPECT_NE(adRequestQuery(makeAd(1)).find("ad_type=full_screen"), std::string::npos);
}

TEST_F(PennantAdTest, TargetingAndTestModeAreSentOnlyWhenAnswered) {
  host->testAd = false;
  host->testAction = "call";
  auto ad = makeAd();
  EXPECT_EQ(adRequestQuery(ad).find("m=test"), std::string::npos);
  EXPECT_EQ(adRequestQuery(ad).find("test_action"), std::string::npos);

  host->testAd = true;
  host->postal = "94107";
  host->area = "415";
  host->sex = "f";
  host->words = "fresh bread";
  host->search = "a&b=c+d#e";
  std::tm birth{};
  birth.tm_year = 75, birth.tm_mon = 2, birth.tm_mday = 9, birth.tm_hour = 12, birth.tm_isdst = -1;
  host->birth = platform::Date::dateWithTimeIntervalSince1970(static_cast<double>(std::mktime(&birth)));
  auto query = adRequestQuery(ad);
  EXPECT_NE(query.find("&m=test&test_action=call&"), std::string::npos) << query;
  EXPECT_NE(query.find("&d[pc]=94107&d[ac]=415&d[gender]=f&d[dob]=19750309&"), std::string::npos) << query;
  EXPECT_NE(query.find("&search=a%26b%3Dc%2Bd%23e&k=fresh%20bread"), std::string::npos) << query;
}

TEST_F(PennantAdTest, HostileValuesStayInsideTheirOwnPairOnTheWire) {
  host->embedded = false;
  host->words = "shoes&s=attacker#frag";
  host->search = "1+1=2 \"quoted\" <tag> {x} |y| `z` ^ \\ caf\xc3\xa9";
  server.setAnswer(kTextAd);
  load(makeAd());
  auto params = adRequestParams();
  EXPECT_EQ(params.count("s"), 1u);
  EXPECT_EQ(params.find("s")->second, "a15c2be9f174da6");
  EXPECT_EQ(params.find("k")->second, "shoes&s=attacker#frag");
  EXPECT_EQ(params.find("search")->second, host->search);
}

TEST_F(PennantAdTest, ANullPublisherSendsALoneQuestionMark) {
  host->embedded = false;
  host->publisher.reset();
  host->endpoint = server.server.url("/custom");
  std::string seenTarget;
  server.server.server().Get("/custom", [&](const httplib::Request& request, httplib::Response& response) {
    seenTarget = request.target;
    response.set_content(R"({"banner":"/x","6":"url","url":"u"})", "application/json");
  });
  load(makeAd());
  EXPECT_EQ(seenTarget, "/custom?");
  EXPECT_EQ(server.countOf("/ad_source.php"), 0u) << "the host's endpoint replaces the server's";
}

TEST_F(PennantAdTest, LocationComesFromTheHostWhenItAnswersElseNotAtAll) {
  host->mayAsk = true;
  host->hostLocation = std::optional<platform::location::Location>(
      platform::location::Location{37.5, -122.25, 10, platform::Date::now()});
  auto query = adRequestQuery(makeAd());
  EXPECT_NE(query.find("&d[coord]=37.500000,-122.250000&"), std::string::npos) << query;
  EXPECT_EQ(query.find("coord_timestamp"), std::string::npos);

  host->hostLocation = std::optional<platform::location::Location>();
  EXPECT_EQ(adRequestQuery(makeAd()).find("d[coord]"), std::string::npos);

  host->mayAsk = false;
  host->hostLocation = std::optional<platform::location::Location>(
      platform::location::Location{37.5, -122.25, 10, platform::Date::now()});
  EXPECT_EQ(adRequestQuery(makeAd()).find("d[coord]"), std::string::npos);
}

TEST_F(PennantAdTest, LocationNumbersKeepTheirPointUnderADecimalCommaLocale) {
  testing_support::DecimalCommaLocale comma;
  if (!comma.active()) GTEST_SKIP() << comma.why();
  std::string error;
  auto fixes = platform::location::FixSchedule::fixedPosition("12.5,-3.25,10", 0, error);
  ASSERT_TRUE(fixes) << error;
  constexpr double kNow = 1700000000.25;
  platform::Date::setNowSource([] { return kNow; });
  auto& manager = PennantLocationManager::sharedManager();
  FileManager::removeItemAtPath(PennantLocationManager::locationCachePath());
  manager.setLocationString(std::nullopt);
  manager.setLastUpdated(std::nullopt);
  platform::location::LocationManager::setSystemSettings(platform::location::LocationSettings{true, *fixes});
  host->mayAsk = true;

  // The first request starts the location service; its fix serves the next.
  EXPECT_EQ(adRequestQuery(makeAd()).find("d[coord]"), std::string::npos);
  loop.runUntil([&] { return manager.locationString().has_value(); });
  const auto query = adRequestQuery(makeAd());
  const auto cached = FileManager::contentsAtPath(PennantLocationManager::locationCachePath());
  // A host's own position goes out the same way.
  host->hostLocation = std::optional<platform::location::Location>(
      platform::location::Location{37.5, -122.25, 10, platform::Date::now()});
  const auto hostQuery = adRequestQuery(makeAd());
  platform::location::LocationManager::setSystemSettings(platform::location::LocationSettings{});
  platform::Date::setNowSource({});

  EXPECT_NE(query.find("d[coord]=12.500000,-3.250000"), std::string::npos) << query;
  EXPECT_NE(query.find("d[coord_timestamp]=1700000000.250000"), std::string::npos) << query;
  EXPECT_EQ(cached, "12.500000,-3.250000");
  EXPECT_NE(hostQuery.find("d[coord]=37.500000,-122.250000"), std::string::npos) << hostQuery;
}

TEST_F(PennantAdTest, ColoursAndSpinnerFollowTheHost) {
  auto ad = makeAd();
  EXPECT_EQ(ad->backgroundColor(), platform::graphics::Color::colorWithRedGreenBlueAlpha(0.443, 0.514, 0.631, 1.0));
  EXPECT_EQ(ad->textColor(), platform::graphics::Color::whiteColor());
  EXPECT_EQ(ad->spinnerStyle(), 1);
  host->background = platform::graphics::Color::blackColor();
  host->gray = true;
  EXPECT_EQ(ad->backgroundColor(), platform::graphics::Color::blackColor());
  EXPECT_EQ(ad->spinnerStyle(), 2);
  EXPECT_NE(ad->description().find("<PennantAd 0x"), std::string::npos);
}

}  // namespace
}  // namespace pennant
