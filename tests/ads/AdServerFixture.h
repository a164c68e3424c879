#pragma once
// A small ad server on loopback for the ad object's tests: it answers the ad
// request with whatever the test sets, serves pictures for every image path,
// and refuses the strings files (so no language is ever translated here).

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "AdsTestSupport.h"
#include "ads/PennantAdServer.h"
#include "ads/PennantImageCache.h"
#include "ads/PennantLocalizer.h"
#include "platform/foundation/FileManager.h"
#include "tests/platform/graphics/TestImages.h"

namespace pennant::testing {

inline std::string pngBytes(int width, int height) {
  auto bytes = testimages::encode("png", width, height, testimages::checker);
  return std::string(bytes.begin(), bytes.end());
}

class AdServerFixture {
 public:
  AdServerFixture() {
    auto picture = [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      auto special = bodies_.find(request.path);
      if (special != bodies_.end()) {
        response.set_content(special->second, "image/png");
      } else {
        response.set_content(pngBytes(request.path.find("banner") != std::string::npos ? 320 : 30,
                                      request.path.find("banner") != std::string::npos ? 48 : 30),
                             "image/png");
      }
    };
    server.server().Get(R"(/static/iphone/browser/.*)", picture);
    server.server().Get(R"(/static/iphone/img/.*)", picture);
    server.server().Get(R"(/static/ads/.*)", picture);
    server.server().Get(R"(/banners/.*)", picture);
    server.server().Get(R"(/static/iphone/i18n/.*)", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
    });
    server.server().Get(R"(/pixel/.*)", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("", "image/gif");
    });
    server.server().Get("/ad_source.php", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      response.status = answerStatus_;
      response.set_content(answer_, "application/json");
    });
    PennantAdServer::setRequestHost(server.url(""));
    PennantAdServer::setStaticMediaHost(server.url(""));
    clearImageCache();
    // Every test starts without a strings file, so each first ad asks for it.
    auto& localizer = PennantLocalizer::sharedLocalizer();
    platform::FileManager::removeItemAtPath(localizer.stringsPathForLanguage(localizer.preferredLanguage()));
  }
  ~AdServerFixture() {
    PennantAdServer::setRequestHost(PennantAdServer::kDefaultRequestHost);
    PennantAdServer::setStaticMediaHost(PennantAdServer::kDefaultStaticMediaHost);
  }

  // The ad request's answer; {{base}} stands for the server's own address.
  void setAnswer(std::string json, int status = 200) {
    std::string base = server.url("");
    for (auto at = json.find("{{base}}"); at != std::string::npos; at = json.find("{{base}}"))
      json.replace(at, 8, base);
    std::lock_guard lock(mutex_);
    answer_ = std::move(json);
    answerStatus_ = status;
  }
  // Replaces what a picture path serves.
  void setBody(const std::string& path, std::string body) {
    std::lock_guard lock(mutex_);
    bodies_[path] = std::move(body);
  }
  std::vector<std::string> paths() {
    std::vector<std::string> result;
    for (const auto& request : server.requests()) result.push_back(request.path);
    return result;
  }
  std::size_t countOf(const std::string& path) {
    std::size_t count = 0;
    for (const auto& request : server.requests()) count += request.path == path;
    return count;
  }
  static void clearImageCache() {
    platform::FileManager::removeItemAtPath(PennantImageCache::imageCacheDirectory());
    platform::FileManager::createDirectoryAtPath(PennantImageCache::imageCacheDirectory());
  }

  LoopbackServer server;

 private:
  std::mutex mutex_;
  std::string answer_ = "{}";
  int answerStatus_ = 200;
  std::map<std::string, std::string> bodies_;
};

}  // namespace pennant::testing
