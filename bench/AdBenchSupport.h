#pragma once
// What the ad library's benchmarks share: a private app home (the library's
// caches fix their folders on first use, so it must be set before any ad
// class runs), the bundled ad server running in-process on an ephemeral
// loopback port, a host delegate configured like the app's, helpers that
// drive a run loop until something has happened, and the resident set size.
//
// Ownership: BenchAdServer owns the server and stops it when destroyed; the
// benchmark owns its host delegate and its ad views (the library only keeps
// weak references to the host).

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/PennantAdServer.h"
#include "ads/PennantController.h"
#include "ads/PennantDelegate.h"
#include "ads/PennantImageCache.h"
#include "ads/PennantLocalizer.h"
#include "ads/PennantView.h"
#include "ads/PennantViewInternal.h"
#include "json/JSONDeserializer.h"
#include "json/Value.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyListValue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "tools/adserver/AdServer.h"

namespace bench {

// Makes a fresh temporary home and fixes the localizer's language. Call
// first thing in main(), before any ad class is used. Exits on failure: a
// benchmark that cannot set up measures nothing.
inline std::string makeBenchHome(const std::string& language) {
  std::string pattern = (std::filesystem::temp_directory_path() / "pennant-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  platform::AppPaths::setHome(pattern);
  platform::UserDefaults::standardUserDefaults().setOverride("AppleLanguages",
                                                             platform::PropertyListValue::stringArray({language}));
  return pattern;
}

// Sets TCP_NODELAY on this process's listening TCP socket of `port`; the
// connections it accepts inherit the option. False when there is no such
// socket or the option cannot be set.
inline bool setNoDelayOnListeningSocket(int port) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    int fd = std::atoi(entry.path().filename().c_str());
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || address.sin_family != AF_INET ||
        ntohs(address.sin_port) != port)
      continue;
    int listening = 0;
    socklen_t size = sizeof listening;
    if (::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &size) != 0 || !listening) continue;
    int on = 1;
    return ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0;
  }
  return false;
}

// The bundled server, serving `inventory` on 127.0.0.1, with the library
// pointed at it. With `noDelay` its connections send each write at once
// instead of holding a short body back until the client acknowledges the
// headers (the client delays that acknowledgement by up to 40 ms).
class BenchAdServer {
 public:
  static std::unique_ptr<BenchAdServer> start(const std::string& inventory, const std::string& logFile = {},
                                               bool noDelay = false) {
    pennant::adserver::AdServer::Configuration configuration;
    configuration.inventoryDirectory = inventory;
    configuration.logFile = logFile;
    std::string error;
    auto server = pennant::adserver::AdServer::create(std::move(configuration), &error);
    if (!server) {
      std::fprintf(stderr, "ad server: %s\n", error.c_str());
      return nullptr;
    }
    if (noDelay && !setNoDelayOnListeningSocket(server->port())) {
      std::fprintf(stderr, "ad server: cannot set TCP_NODELAY on port %d\n", server->port());
      return nullptr;
    }
    server->start();
    pointLibraryAt(server->baseUrl());
    return std::unique_ptr<BenchAdServer>(new BenchAdServer(std::move(server)));
  }
  ~BenchAdServer() { server_->stop(); }
  const std::string& baseUrl() const { return server_->baseUrl(); }
  static void pointLibraryAt(const std::string& baseUrl) {
    pennant::PennantAdServer::setRequestHost(baseUrl);
    pennant::PennantAdServer::setStaticMediaHost(baseUrl);
  }
  void pointLibraryHere() const { pointLibraryAt(baseUrl()); }

 private:
  explicit BenchAdServer(std::unique_ptr<pennant::adserver::AdServer> server) : server_(std::move(server)) {}
  std::unique_ptr<pennant::adserver::AdServer> server_;
};

// A host configured like the app's: black banner, white text. Test mode is
// off unless testAction is set.
class BenchHost : public pennant::PennantDelegate {
 public:
  std::optional<std::string> publisherId() override { return "vorla-bench"; }
  std::optional<platform::graphics::Color> adBackgroundColor() override { return platform::graphics::Color::blackColor(); }
  std::optional<platform::graphics::Color> adTextColor() override { return platform::graphics::Color::whiteColor(); }
  std::optional<bool> useTestAd() override { return testAction.has_value(); }
  std::optional<std::string> testAdAction() override { return testAction; }
  void didReceiveAd(const std::shared_ptr<pennant::PennantView>&) override { ++received; }
  void didFailToReceiveAd(const std::shared_ptr<pennant::PennantView>&) override { ++failed; }

  std::optional<std::string> testAction;
  int received = 0;
  int failed = 0;
};

inline std::shared_ptr<pennant::PennantController> controllerOf(const std::shared_ptr<pennant::PennantView>& view) {
  auto internal = std::dynamic_pointer_cast<pennant::PennantViewInternal>(view);
  return internal ? internal->controller() : nullptr;
}

// Runs a real-clock loop until `done` holds; false after `limitSeconds`.
inline bool runRealLoopUntil(platform::RunLoop& loop, const std::function<bool()>& done, double limitSeconds = 10) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    loop.runOnce(0.05);
  }
  return true;
}

// Runs a simulated-clock loop until `done` holds, without moving the clock
// (loopback transfers take no simulated time); false when nothing more can
// happen or after `limitSeconds` of real time.
inline bool settleSimulatedLoopUntil(platform::RunLoop& loop, const std::function<bool()>& done,
                                     double limitSeconds = 10) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(limitSeconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    loop.settle();
    loop.runPending();
    if (!done() && loop.workInFlightCount() == 0 && !loop.nextFireTime()) return done();
  }
  return true;
}

// Forgets every cached icon and the strings file, so the next ad loads cold.
inline void clearAdCaches() {
  const auto& images = pennant::PennantImageCache::imageCacheDirectory();
  platform::FileManager::removeItemAtPath(images);
  platform::FileManager::createDirectoryAtPath(images);
  auto& localizer = pennant::PennantLocalizer::sharedLocalizer();
  platform::FileManager::removeItemAtPath(localizer.stringsPathForLanguage(localizer.preferredLanguage()));
}

inline bool stringsFileIsStored() {
  auto& localizer = pennant::PennantLocalizer::sharedLocalizer();
  return std::filesystem::exists(localizer.stringsPathForLanguage(localizer.preferredLanguage()));
}

// Bytes of resident memory, from /proc/self/statm (its second field, in
// pages); 0 when it cannot be read.
inline long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long sizePages = 0, residentPages = 0;
  if (!(statm >> sizePages >> residentPages)) return 0;
  return residentPages * ::sysconf(_SC_PAGESIZE);
}

// Percent-escapes everything but RFC 3986's unreserved characters.
inline std::string escapeQueryPart(std::string_view text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// The URLs of the request log's lines from `firstLine` on, in the order the
// server received them, rebuilt from their path and decoded query. Lines
// that do not read as log entries are skipped.
inline std::vector<std::string> urlsFromRequestLog(const std::string& logFile, const std::string& baseUrl,
                                                   std::size_t firstLine = 0) {
  std::vector<std::string> urls;
  std::ifstream in(logFile);
  std::string line;
  auto reader = json::JSONDeserializer::deserializer();
  for (std::size_t index = 0; std::getline(in, line); ++index) {
    if (index < firstLine) continue;
    auto entry = reader->deserializeAsDictionaryError(json::ByteScanner::dataWithBytes(line), nullptr);
    auto path = entry ? entry->stringForKey("path") : std::nullopt;
    if (!path) continue;
    std::string url = baseUrl + *path;
    char separator = '?';
    if (const json::Value* query = entry->dictionaryForKey("query")) {
      for (const auto& member : query->members()) {
        std::vector<std::string> values;
        if (auto single = member.value.stringValue()) values.push_back(*single);
        for (const auto& element : member.value.elements())
          if (auto text = element.stringValue()) values.push_back(*text);
        for (const auto& value : values) {
          url += separator + escapeQueryPart(*member.key.stringValue()) + "=" + escapeQueryPart(value);
          separator = '&';
        }
      }
    }
    urls.push_back(std::move(url));
  }
  return urls;
}

inline std::size_t lineCount(const std::string& file) {
  std::ifstream in(file);
  std::size_t count = 0;
  for (std::string line; std::getline(in, line);) ++count;
  return count;
}

}  // namespace bench
