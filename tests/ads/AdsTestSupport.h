#pragma once
// What the ad library's tests share: one app home per test process (the
// library's caches fix their folders on first use), a run loop to drive
// downloads on, and a loopback HTTP server that records every request.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/AppPaths.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/foundation/UserDefaults.h"

namespace pennant::testing {

// The home of this test process, created on first use, before any of the
// library's singletons look at it.
inline const std::string& testHome() {
  static const std::string home = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "pennant-ads-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    platform::AppPaths::setHome(pattern);
    platform::Device::currentDevice().setUniqueIdentifier("0123456789abcdef0123456789abcdef01234567");
    // The localizer fixes its language at first use: English, whatever the
    // machine's environment says.
    platform::UserDefaults::standardUserDefaults().setOverride(
        "AppleLanguages", platform::PropertyListValue::stringArray({"en"}));
    return pattern;
  }();
  return home;
}

// A run loop on a simulated clock, current for the test's lifetime.
class TestLoop {
 public:
  TestLoop() : clock_(std::make_shared<platform::SimulatedClock>()), loop_(clock_) {
    testHome();
    loop_.makeCurrent();
  }
  platform::RunLoop& loop() { return loop_; }
  // Runs until `done` holds or nothing more can happen.
  void runUntil(const std::function<bool()>& done) {
    for (int round = 0; round < 1000 && !done(); ++round) {
      loop_.settle();
      loop_.runPending();
      if (!done() && loop_.workInFlightCount() == 0 && !loop_.nextFireTime()) break;
    }
  }

 private:
  std::shared_ptr<platform::SimulatedClock> clock_;
  platform::RunLoop loop_;
};

struct RecordedRequest {
  std::string path;
  std::multimap<std::string, std::string> params;
  httplib::Headers headers;
};

// An HTTP server on an ephemeral loopback port, on its own thread.
class LoopbackServer {
 public:
  LoopbackServer() {
    // Recorded before the handler runs, so a test that saw the response
    // also sees the request.
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
      std::lock_guard lock(mutex_);
      requests_.push_back({request.path, {request.params.begin(), request.params.end()}, request.headers});
      return httplib::Server::HandlerResponse::Unhandled;
    });
    // One request per connection: a kept-alive connection would hold the
    // server's stop() for its whole keep-alive time-out.
    server_.set_keep_alive_max_count(1);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoopbackServer() {
    server_.stop();
    thread_.join();
  }
  httplib::Server& server() { return server_; }
  std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  std::vector<RecordedRequest> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
};

// A loopback port that nothing listens on: bound once to learn a free
// number, then closed, so connecting to it is refused at once.
inline int closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

}  // namespace pennant::testing
