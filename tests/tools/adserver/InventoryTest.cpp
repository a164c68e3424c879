// Loading inventories: the sample covers what a client developer needs, and
// every kind of broken inventory is refused with a message naming the file.

#include "tools/adserver/Inventory.h"

#include <algorithm>
#include <map>

#include "json/JSONDeserializer.h"
#include "tests/tools/adserver/AdServerTestSupport.h"
#include "tools/adserver/StaticContent.h"

using namespace adservertest;
using pennant::adserver::Inventory;

namespace {

const char* kGoodAd = R"({"ad": {"text": "Hi", "6": "url", "url": "u", "204": "/static/a.png"}, "click": {}})";

std::shared_ptr<const json::Value> parse(const std::string& text) {
  return json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(json::ByteScanner::dataWithBytes(text),
                                                                             nullptr);
}

TEST(SampleInventoryTest, HoldsEveryKindOfAdAClientNeeds) {
  std::string error;
  auto inventory = Inventory::loadFromDirectory(sampleInventory(), &error);
  ASSERT_NE(inventory, nullptr) << error;
  std::map<std::string, int> actions;
  int banners = 0;
  std::vector<std::string> texts;
  for (const auto& ad : inventory->ads()) {
    ++actions[ad.action];
    auto object = parse(ad.adJson);
    ASSERT_TRUE(object) << ad.id;
    // What the library needs to accept an ad.
    EXPECT_TRUE(object->stringForKey("6")) << ad.id;
    EXPECT_TRUE(object->stringForKey("url")) << ad.id;
    EXPECT_TRUE(object->stringForKey("jsonp_url")) << ad.id;
    if (object->stringForKey("banner")) {
      ++banners;
      EXPECT_TRUE(object->stringForKey("cpm_url")) << ad.id;
      EXPECT_TRUE(object->stringForKey("tracking_pixel")) << ad.id;
    } else {
      ASSERT_TRUE(object->stringForKey("text")) << ad.id;
      EXPECT_TRUE(object->stringForKey("204")) << ad.id;
      texts.push_back(*object->stringForKey("text"));
    }
    EXPECT_EQ(object->stringForKey("jsonp_url"), "{{base}}/click/" + ad.id);
  }
  for (const char* action : {"url", "canvas", "call", "contact"}) EXPECT_GE(actions[action], 1) << action;
  EXPECT_GE(actions.size(), 5u) << "one ad with an action the library hands to the system";
  EXPECT_GE(banners, 2);
  const auto [shortest, longest] = std::minmax_element(texts.begin(), texts.end(),
                                                       [](auto& a, auto& b) { return a.size() < b.size(); });
  EXPECT_LE(shortest->size(), 20u) << "fits one line with the Ads by Pennant line under it";
  EXPECT_GE(longest->size(), 75u) << "wraps to three lines";
}

TEST(SampleInventoryTest, EveryActionIconAndTextIconIsPainted) {
  auto inventory = Inventory::loadFromDirectory(sampleInventory(), nullptr);
  ASSERT_NE(inventory, nullptr);
  auto content = pennant::adserver::StaticContent::fromInventory(*inventory, nullptr);
  ASSERT_TRUE(content);
  for (const auto& ad : inventory->ads()) {
    auto object = parse(ad.adJson);
    const std::string icon = object->stringForKey("18").value_or(ad.action);
    EXPECT_TRUE(content->lookup("/static/iphone/img/" + icon + ".png")) << ad.id;
    if (auto path = object->stringForKey("204")) {
      EXPECT_TRUE(content->lookup(*path)) << ad.id;
    }
  }
}

class BrokenInventoryTest : public ::testing::Test {
 protected:
  // Loads the temporary inventory and returns the error (empty on success).
  std::string load() {
    std::string error;
    auto inventory = Inventory::loadFromDirectory(dir_.path(), &error);
    EXPECT_EQ(inventory == nullptr, !error.empty());
    return inventory ? std::string() : error;
  }
  void ad(const std::string& name, const std::string& text) { writeFile(dir_.path() / "ads" / name, text); }
  void pictures(const std::string& text) { writeFile(dir_.path() / "pictures.json", text); }

  TempDir dir_;
};

TEST_F(BrokenInventoryTest, AMinimalInventoryLoads) {
  ad("one.json", kGoodAd);
  ad("notes.txt", "not an ad");
  EXPECT_EQ(load(), "");
}

TEST_F(BrokenInventoryTest, MissingOrEmptyAdsFolderIsRefused) {
  EXPECT_NE(load().find("no such folder"), std::string::npos);
  std::filesystem::create_directories(dir_.path() / "ads");
  EXPECT_NE(load().find("holds no ad"), std::string::npos);
}

TEST_F(BrokenInventoryTest, BrokenAdFilesAreRefusedByName) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{\"ad\": ", "not valid JSON"},
      {"[]", "top level must be an object"},
      {R"({"ad": []})", "\"ad\" must be an object"},
      {R"({"ad": {"text": "x"}})", "action \"6\""},
      {R"({"ad": {"6": 3}})", "action \"6\""},
      {R"({"ad": {"6": "url"}, "click": "x"})", "\"click\" must be an object"},
      {R"({"ad": {"6": "url"}, "live": 1})", "\"live\" must be true or false"},
      {R"({"ad": {"6": "url"}, "clik": {}})", "unknown key \"clik\""},
  };
  for (const auto& [text, message] : cases) {
    ad("broken.json", text);
    const std::string error = load();
    EXPECT_NE(error.find("broken.json"), std::string::npos) << text << " -> " << error;
    EXPECT_NE(error.find(message), std::string::npos) << text << " -> " << error;
  }
}

TEST_F(BrokenInventoryTest, AdFileNamesMustBeUsableInAUrl) {
  ad("two words.json", kGoodAd);
  EXPECT_NE(load().find("file name"), std::string::npos);
}

TEST_F(BrokenInventoryTest, BrokenPicturesAreRefused) {
  ad("one.json", kGoodAd);
  const std::string good = R"("path": "/static/a.png", "width": 10, "height": 10, "color": "#102030", "shape": "circle")";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{}", "top level must be an array"},
      {"[1]", "must be an object"},
      {R"([{"path": "/img/a.png", "width": 1, "height": 1, "color": "#000000", "shape": "circle"}])", "\"path\""},
      {R"([{"path": "/static/../a.png", "width": 1, "height": 1, "color": "#000000", "shape": "circle"}])", "\"path\""},
      {R"([{"path": "/static/a.png", "width": 0, "height": 1, "color": "#000000", "shape": "circle"}])", "\"width\""},
      {R"([{"path": "/static/a.png", "width": 2.5, "height": 1, "color": "#000000", "shape": "circle"}])", "\"width\""},
      {R"([{"path": "/static/a.png", "width": 1, "height": 2000, "color": "#000000", "shape": "circle"}])", "\"width\""},
      {R"([{"path": "/static/a.png", "width": 1, "height": 1, "color": "red", "shape": "circle"}])", "\"color\""},
      {R"([{"path": "/static/a.png", "width": 1, "height": 1, "color": "#00000g", "shape": "circle"}])", "\"color\""},
      {R"([{"path": "/static/a.png", "width": 1, "height": 1, "color": "#000000", "shape": "star"}])", "\"shape\""},
      {"[{" + good + R"(, "label_color": "white"}])", "\"label_color\""},
      {"[{" + good + "}, {" + good + "}]", "listed twice"},
  };
  for (const auto& [text, message] : cases) {
    pictures(text);
    const std::string error = load();
    EXPECT_NE(error.find("pictures.json"), std::string::npos) << text << " -> " << error;
    EXPECT_NE(error.find(message), std::string::npos) << text << " -> " << error;
  }
  pictures("[{" + good + "}]");
  EXPECT_EQ(load(), "");
}

TEST_F(BrokenInventoryTest, ServerCreationReportsTheInventorysError) {
  ad("broken.json", "{");
  pennant::adserver::AdServer::Configuration configuration;
  configuration.inventoryDirectory = dir_.path();
  std::string error;
  EXPECT_EQ(pennant::adserver::AdServer::create(configuration, &error), nullptr);
  EXPECT_NE(error.find("broken.json"), std::string::npos);
}

TEST_F(BrokenInventoryTest, PausedAdsAreNotServedButStillAnswerClicks) {
  ad("a-live.json", kGoodAd);
  ad("b-paused.json", R"({"ad": {"6": "call"}, "click": {"redirect_url": "tel:1"}, "live": false})");
  std::string error;
  auto inventory = Inventory::loadFromDirectory(dir_.path(), &error);
  ASSERT_NE(inventory, nullptr) << error;
  EXPECT_EQ(inventory->liveAds(std::nullopt).size(), 1u);
  EXPECT_TRUE(inventory->liveAds(std::string("call")).empty());
  ASSERT_TRUE(inventory->adWithId("b-paused"));
  EXPECT_EQ(inventory->adWithId("b-paused")->clickJson, R"({"redirect_url":"tel:1"})");
  EXPECT_EQ(inventory->adWithId("a-live")->clickJson, "{}");
  EXPECT_EQ(inventory->adWithId("c"), nullptr);
}

}  // namespace
