#pragma once
// A real HTTP server on 127.0.0.1 with an ephemeral port, running on its own
// thread for the length of a test, and the helpers the connection tests
// share: a delegate that records what it is told, and a way to spin a run
// loop until something happened.

#include <httplib.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/net/UrlConnection.h"

namespace nettest {

class LoopbackServer {
 public:
  httplib::Server server;

  void start() {
    port_ = server.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server.listen_after_bind(); });
    // stop() does nothing to a server that is not running yet, so a test
    // that never talks to it would otherwise hang in the destructor.
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoopbackServer() {
    server.stop();
    if (thread_.joinable()) thread_.join();
  }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int port() const { return port_; }

 private:
  int port_ = -1;
  std::thread thread_;
};

// Keeps what a client would keep: a new response discards the body so far.
class RecordingDelegate : public platform::net::UrlConnectionDelegate {
 public:
  std::vector<int> statuses;
  std::vector<std::string> responseUrls;
  std::string body;
  int dataCalls = 0;
  bool finished = false;
  std::optional<platform::Error> error;
  double finishedAt = -1;  // on the run loop's clock
  platform::RunLoop* loop = nullptr;
  std::function<void(platform::net::UrlConnection&)> onResponse;
  std::function<void(platform::net::UrlConnection&)> onData;
  std::function<void(platform::net::UrlConnection&)> onEnd;

  bool done() const { return finished || error.has_value(); }
  int callbacks() const {
    return static_cast<int>(statuses.size()) + dataCalls + (finished ? 1 : 0) + (error ? 1 : 0);
  }

  void connectionDidReceiveResponse(platform::net::UrlConnection& c,
                                    const platform::net::UrlResponse& response) override {
    statuses.push_back(response.statusCode());
    responseUrls.push_back(response.url());
    body.clear();
    if (onResponse) onResponse(c);
  }
  void connectionDidReceiveData(platform::net::UrlConnection& c, std::string_view bytes) override {
    ++dataCalls;
    body.append(bytes);
    if (onData) onData(c);
  }
  void connectionDidFinishLoading(platform::net::UrlConnection& c) override {
    finished = true;
    if (loop) finishedAt = loop->now();
    if (onEnd) onEnd(c);
  }
  void connectionDidFailWithError(platform::net::UrlConnection& c, const platform::Error& e) override {
    error = e;
    if (loop) finishedAt = loop->now();
    if (onEnd) onEnd(c);
  }
};

// Runs `loop` until `condition` holds or `seconds` of real time have passed.
inline bool spinUntil(platform::RunLoop& loop, const std::function<bool()>& condition,
                      double seconds = 10.0) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    loop.runOnce(0.05);
  }
  return true;
}

}  // namespace nettest
