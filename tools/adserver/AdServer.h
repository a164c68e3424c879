#pragma once
// The bundled ad server: the ad protocol of AdRoutes over HTTP on a loopback
// address, with the request log and fault injection around it.
//
// How to use it: fill a Configuration, call create() (loads the inventory,
// paints the pictures, opens the log and binds the port, so port() is known
// at once), then start() to serve on a thread of its own, and stop() or
// destroy the server to end. Requests that arrive between create() and
// start() wait in the listen queue. The server owns its inventory, log,
// fault rules and HTTP machinery; nothing it hands out outlives it.
//
// The control endpoint /__faults (GET lists, POST adds, DELETE clears the
// rules; see FaultInjector for the JSON) is never faulted and never logged.
// Creating a server ignores SIGPIPE for the whole process, because writing
// to a connection the client has dropped must not end the process.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <optional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tools/adserver/FaultInjector.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace pennant::adserver {

class AdRoutes;
class RequestLog;

class AdServer {
 public:
  struct Configuration {
    std::filesystem::path inventoryDirectory;
    std::string host = "127.0.0.1";  // a loopback address: 127.x.x.x, ::1 or localhost
    int port = 0;                    // 0: any free port
    std::string logFile;             // empty: no log
    std::vector<FaultRule> faults;   // installed before the first request
    // Serve only the live ads of this action; the server does not start
    // when no live ad has it.
    std::optional<std::string> onlyAction;
  };

  // nullptr with *error when anything fails.
  static std::unique_ptr<AdServer> create(Configuration configuration, std::string* error);
  static bool isLoopbackHost(const std::string& host);

  ~AdServer();
  AdServer(const AdServer&) = delete;
  AdServer& operator=(const AdServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:PORT", the text that replaces "{{base}}".
  const std::string& baseUrl() const { return baseUrl_; }
  FaultInjector& faults() { return faults_; }

  void start();
  // Wakes delayed requests, stops accepting and waits for the serving
  // thread. Safe to call more than once.
  void stop();

 private:
  AdServer();
  void handle(const httplib::Request& request, httplib::Response& response);
  void handleControl(const httplib::Request& request, httplib::Response& response);
  // Waits, returning early when the server stops.
  void delay(double seconds);
  std::string garbage(std::size_t length);
  // Every "{{base}}" in `text` replaced by the server's own base URL.
  std::string expandedBase(std::string text) const;
  static void streamFiller(httplib::Response& response, std::size_t length, const std::string& contentType);
  static constexpr std::size_t kFloodChunkBytes = 64 * 1024;

  std::unique_ptr<httplib::Server> http_;
  std::unique_ptr<AdRoutes> routes_;
  std::unique_ptr<RequestLog> log_;
  FaultInjector faults_;
  int port_ = 0;
  std::string baseUrl_;
  std::chrono::steady_clock::time_point startTime_;
  std::thread thread_;
  std::atomic<bool> listenReturned_{false};
  std::mutex mutex_;
  std::condition_variable wakeUp_;
  bool stopping_ = false;
  std::mt19937 random_{20090402};
};

}  // namespace pennant::adserver
