// Every endpoint of the server answers as documented, checked over real HTTP
// against the sample inventory.

#include <cairo.h>
#include <httplib.h>

#include <cstring>
#include <map>
#include <set>

#include "json/JSONDeserializer.h"
#include "tests/tools/adserver/AdServerTestSupport.h"
#include "tools/adserver/CommandLine.h"

using namespace adservertest;

namespace {

std::shared_ptr<const json::Value> parseObject(const std::string& body) {
  auto value = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(
      json::ByteScanner::dataWithBytes(body), nullptr);
  EXPECT_NE(value, nullptr) << body;
  return value;
}

class AdServerEndpointsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = startSampleServer();
    ASSERT_NE(server_, nullptr);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_->port());
  }

  std::string get(const std::string& target, int expectedStatus = 200, std::string* contentType = nullptr) {
    auto result = client_->Get(target.c_str());
    EXPECT_TRUE(result) << target;
    if (!result) return {};
    EXPECT_EQ(result->status, expectedStatus) << target;
    if (contentType) *contentType = result->get_header_value("Content-Type");
    return result->body;
  }

  std::unique_ptr<pennant::adserver::AdServer> server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(AdServerEndpointsTest, AdRequestsGoRoundRobinOverTheLiveAdsInIdOrder) {
  std::vector<std::string> served;
  std::string contentType;
  for (int i = 0; i < 14; ++i) {
    auto ad = parseObject(get("/ad_source.php?s=pub&f=jsonp", 200, &contentType));
    ASSERT_TRUE(ad);
    served.push_back(ad->stringForKey("jsonp_url").value_or(""));
  }
  EXPECT_EQ(contentType, "application/json");
  // Seven sample ads, sorted by file name, then the cycle starts again.
  EXPECT_EQ(served[0], server_->baseUrl() + "/click/bakery-contact");
  EXPECT_EQ(served[1], server_->baseUrl() + "/click/banner-shoes");
  EXPECT_EQ(served[6], server_->baseUrl() + "/click/theatre-long");
  EXPECT_EQ(std::set<std::string>(served.begin(), served.begin() + 7).size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(served[i], served[i + 7]);
}

TEST_F(AdServerEndpointsTest, PlaceholdersBecomeTheServersOwnAddress) {
  const std::string base = "http://127.0.0.1:" + std::to_string(server_->port());
  EXPECT_EQ(server_->baseUrl(), base);
  for (int i = 0; i < 7; ++i) {
    const std::string body = get("/ad_source.php?s=pub");
    EXPECT_EQ(body.find("{{base}}"), std::string::npos) << body;
    auto ad = parseObject(body);
    ASSERT_TRUE(ad);
    for (const char* key : {"jsonp_url", "banner", "cpm_url", "tracking_pixel"}) {
      if (auto url = ad->stringForKey(key)) {
        EXPECT_EQ(url->rfind(base + "/", 0), 0u) << key << ": " << *url;
      }
    }
  }
  auto click = parseObject(get("/click/bakery-contact"));
  ASSERT_TRUE(click);
  EXPECT_EQ(click->stringForKey("acquisition_url"), base + "/acquire/bakery-contact");
  ASSERT_TRUE(click->dictionaryForKey("contact"));
  EXPECT_EQ(click->dictionaryForKey("contact")->stringForKey("image"), base + "/static/contacts/bakery.png");
}

TEST_F(AdServerEndpointsTest, TestModePicksAnAdByItsAction) {
  for (const char* action : {"url", "canvas", "call", "contact", "itunes"}) {
    for (int i = 0; i < 3; ++i) {
      auto ad = parseObject(get(std::string("/ad_source.php?s=pub&m=test&test_action=") + action));
      ASSERT_TRUE(ad);
      EXPECT_EQ(ad->stringForKey("6"), action);
    }
  }
  // Two sample ads have the action "url": test mode alternates between them.
  auto first = parseObject(get("/ad_source.php?s=pub&m=test&test_action=url"));
  auto second = parseObject(get("/ad_source.php?s=pub&m=test&test_action=url"));
  EXPECT_NE(first->stringForKey("jsonp_url"), second->stringForKey("jsonp_url"));
  // test_action without m=test is not test mode: the normal rotation goes on.
  auto normal = parseObject(get("/ad_source.php?s=pub&test_action=call"));
  EXPECT_EQ(normal->stringForKey("jsonp_url"), server_->baseUrl() + "/click/bakery-contact");
  // m=test without test_action serves any ad.
  EXPECT_TRUE(parseObject(get("/ad_source.php?s=pub&m=test")));
}

TEST_F(AdServerEndpointsTest, TestModeWithoutAMatchingAdAnswers404WithAnEmptyObject) {
  std::string contentType;
  EXPECT_EQ(get("/ad_source.php?s=pub&m=test&test_action=URL", 404, &contentType), "{}");
  EXPECT_EQ(contentType, "application/json");
  EXPECT_EQ(get("/ad_source.php?s=pub&m=test&test_action=", 404), "{}");
}

TEST_F(AdServerEndpointsTest, AdRequestsWithoutAPublisherAre400) {
  EXPECT_NE(get("/ad_source.php", 400).find("error"), std::string::npos);
  get("/ad_source.php?", 400);
  get("/ad_source.php?s=", 400);
  get("/ad_source.php?f=jsonp&v=20090402", 400);
  get("/ad_source.php?S=pub", 400);
}

TEST_F(AdServerEndpointsTest, ClickAnswersCarryEachActionsDestination) {
  auto call = parseObject(get("/click/pizza-call"));
  EXPECT_EQ(call->stringForKey("redirect_url"), "tel:+15555550123");
  EXPECT_EQ(call->stringForKey("acquisition_url"), server_->baseUrl() + "/acquire/pizza-call");

  // Values point into their document: keep the document while reading them.
  auto contactAnswer = parseObject(get("/click/bakery-contact"));
  const json::Value* contact = contactAnswer->dictionaryForKey("contact");
  ASSERT_TRUE(contact);
  for (const char* key : {"organization", "note", "image"}) EXPECT_TRUE(contact->stringForKey(key)) << key;
  for (const char* key : {"phonenums", "emails", "addresses", "links"}) EXPECT_TRUE(contact->dictionaryForKey(key)) << key;
  const json::Value* work = contact->dictionaryForKey("addresses")->dictionaryForKey("work");
  ASSERT_TRUE(work);
  for (const char* key : {"Street", "City", "State", "ZIP", "Country", "CountryCode"}) {
    EXPECT_TRUE(work->stringForKey(key)) << key;
  }

  // The destination of a web click is served by this server too.
  auto web = parseObject(get("/click/coffee-short"));
  const std::string landing = web->stringForKey("redirect_url").value_or("");
  ASSERT_EQ(landing.rfind(server_->baseUrl(), 0), 0u);
  EXPECT_NE(get(landing.substr(server_->baseUrl().size())).find("Corner Coffee"), std::string::npos);

  EXPECT_EQ(get("/click/no-such-ad", 404), "{}");
  get("/click/", 404);
  get("/click/coffee-short/extra", 404);
}

TEST_F(AdServerEndpointsTest, PixelsAreATransparentGifAndAcquisitionsSayOk) {
  std::string contentType;
  const std::string gif = get("/pixel/cpm-banner-shoes", 200, &contentType);
  EXPECT_EQ(contentType, "image/gif");
  EXPECT_EQ(gif.substr(0, 6), "GIF89a");
  EXPECT_EQ(gif[6], 1);  // width 1
  EXPECT_EQ(gif[8], 1);  // height 1
  EXPECT_EQ(gif.back(), ';');
  EXPECT_EQ(get("/acquire/pizza-call"), "ok");
  get("/pixel/", 404);
  get("/acquire/", 404);
}

TEST_F(AdServerEndpointsTest, StringsFilesExistForSpanishAndFrenchOnly) {
  const std::vector<std::string> keys = {
      "Ads by Pennant", "Cancel", "Launch Safari", "Email link", "Whoops", "Ok",
      "Couldn't connect to that page.", "That page is too large to load.", "That page is not supported.",
      "That page is not secure.", "That file can't be displayed.", "That page could not be loaded.",
      "Call %@?", "Call", "Add %@ to your Address Book?", "Add"};
  for (const char* language : {"es", "fr"}) {
    std::string contentType;
    const std::string text = get(std::string("/static/iphone/i18n/20090402/") + language + ".strings", 200, &contentType);
    EXPECT_EQ(contentType, "text/plain; charset=utf-8");
    for (const std::string& key : keys) {
      EXPECT_NE(text.find("\"" + key + "\" = \""), std::string::npos) << language << ": " << key;
    }
  }
  EXPECT_NE(get("/static/iphone/i18n/20090402/fr.strings").find("\"Cancel\" = \"Annuler\";"), std::string::npos);
  get("/static/iphone/i18n/20090402/de.strings", 404);
  get("/static/iphone/i18n/20090402/en.strings", 404);
}

TEST_F(AdServerEndpointsTest, CanvasPageCarriesTheBridge) {
  std::string contentType;
  const std::string page = get("/static/iphone/canvas.html", 200, &contentType);
  EXPECT_EQ(contentType, "text/html; charset=utf-8");
  EXPECT_NE(page.find("var pennant"), std::string::npos);
  EXPECT_NE(page.find("function cb(url, title)"), std::string::npos);
  EXPECT_NE(page.find("pennant://closecanvas"), std::string::npos);
  EXPECT_NE(page.find("pennant://launch?url="), std::string::npos);
}

struct PngSize {
  int width = 0;
  int height = 0;
};

PngSize decodePng(const std::string& bytes) {
  struct Reader {
    const std::string* bytes;
    std::size_t offset = 0;
  } reader{&bytes};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(
      [](void* closure, unsigned char* data, unsigned int length) {
        auto* r = static_cast<Reader*>(closure);
        if (r->offset + length > r->bytes->size()) return CAIRO_STATUS_READ_ERROR;
        std::memcpy(data, r->bytes->data() + r->offset, length);
        r->offset += length;
        return CAIRO_STATUS_SUCCESS;
      },
      &reader);
  PngSize size;
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
    size = {cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
  }
  cairo_surface_destroy(surface);
  return size;
}

TEST_F(AdServerEndpointsTest, PicturesAreDistinctPngsOfTheirSizes) {
  const std::map<std::string, std::pair<int, int>> expected = {
      {"/static/iphone/browser/back.png", {30, 30}},      {"/static/iphone/browser/back_disable.png", {30, 30}},
      {"/static/iphone/browser/forward.png", {30, 30}},   {"/static/iphone/browser/forward_disable.png", {30, 30}},
      {"/static/iphone/img/url.png", {30, 30}},           {"/static/iphone/img/canvas.png", {30, 30}},
      {"/static/iphone/img/call.png", {30, 30}},          {"/static/iphone/img/contact.png", {30, 30}},
      {"/static/iphone/img/other.png", {30, 30}},         {"/static/ads/coffee.png", {38, 38}},
      {"/static/ads/theatre.png", {38, 38}},              {"/static/banners/shoes.png", {320, 48}},
      {"/static/banners/travel.png", {320, 48}},          {"/static/contacts/bakery.png", {64, 64}}};
  std::set<std::string> bodies;
  for (const auto& [path, size] : expected) {
    std::string contentType;
    const std::string png = get(path, 200, &contentType);
    EXPECT_EQ(contentType, "image/png") << path;
    const PngSize decoded = decodePng(png);
    EXPECT_EQ(decoded.width, size.first) << path;
    EXPECT_EQ(decoded.height, size.second) << path;
    bodies.insert(png);
  }
  EXPECT_EQ(bodies.size(), expected.size()) << "two pictures are identical";
}

TEST_F(AdServerEndpointsTest, UnknownPathsAndUnsafeStaticPathsAre404) {
  for (const char* target : {"/", "/nothing", "/ad_source.php/extra", "/static/", "/static/iphone/img/none.png",
                             "/static/../ads/coffee-short.json", "/static/%2e%2e/pictures.json",
                             "/static/.hidden", "/static/iphone//canvas.html", "/static/iphone"}) {
    get(target, 404);
  }
}

TEST_F(AdServerEndpointsTest, OnlyGetIsServedOnProtocolPaths) {
  auto result = client_->Post("/ad_source.php?s=pub", "x", "text/plain");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 405);
  result = client_->Delete("/click/coffee-short");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 405);
  result = client_->Post("/unknown", "x", "text/plain");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 404);
}

}  // namespace

namespace {

TEST(AdServerOnlyActionTest, ServesOnlyAdsOfTheActionAndRefusesAnActionNoAdHas) {
  auto parsed = pennant::adserver::CommandLine::parse(
      {"--only-action", "call", "--inventory", sampleInventory()}, [](const char*) -> const char* { return nullptr; },
      "");
  ASSERT_TRUE(parsed.configuration) << parsed.error;
  ASSERT_EQ(parsed.configuration->onlyAction, "call");
  auto server = startServer(*parsed.configuration);
  ASSERT_NE(server, nullptr);
  httplib::Client client("127.0.0.1", server->port());
  for (int i = 0; i < 4; ++i) {
    auto result = client.Get("/ad_source.php?s=pub");
    ASSERT_TRUE(result);
    auto ad = parseObject(result->body);
    ASSERT_TRUE(ad);
    EXPECT_EQ(ad->stringForKey("6"), "call");
  }
  // A test-mode request for another action finds nothing to serve.
  auto other = client.Get("/ad_source.php?s=pub&m=test&test_action=url");
  ASSERT_TRUE(other);
  EXPECT_EQ(other->status, 404);
  // Every ad's click answer is still served, whatever the selection.
  auto click = client.Get("/click/coffee-short");
  ASSERT_TRUE(click);
  EXPECT_EQ(click->status, 200);

  pennant::adserver::AdServer::Configuration nothing;
  nothing.inventoryDirectory = sampleInventory();
  nothing.onlyAction = "fax";
  std::string error;
  EXPECT_EQ(pennant::adserver::AdServer::create(nothing, &error), nullptr);
  EXPECT_NE(error.find("fax"), std::string::npos) << error;
}

}  // namespace
