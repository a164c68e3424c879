#pragma once
// The transfer engine behind UrlConnection: one libcurl multi handle per run
// loop, whose sockets become fd watches and whose time-outs become real-time
// run-loop calls. Sharing the multi handle shares its connection cache, so
// connections to the same server reuse kept-alive sockets.
//
// Ownership: the run loop holds the engine (as an attachment) and shuts it
// down when it is destroyed, cancelling whatever still loads; each loading
// UrlConnection holds it too, and the engine only refers back to them
// weakly.

#include <curl/curl.h>

#include <map>
#include <memory>

#include "platform/foundation/RunLoop.h"

namespace platform::net {

class UrlConnection;

class CurlMultiDriver : public std::enable_shared_from_this<CurlMultiDriver> {
 public:
  // The engine of `loop`, made on first use; nullptr when libcurl cannot
  // make a multi handle.
  static std::shared_ptr<CurlMultiDriver> forRunLoop(RunLoop& loop);

  explicit CurlMultiDriver(RunLoop& loop);
  ~CurlMultiDriver();
  CurlMultiDriver(const CurlMultiDriver&) = delete;
  CurlMultiDriver& operator=(const CurlMultiDriver&) = delete;

  RunLoop& runLoop() const { return *loop_; }
  bool start(const std::shared_ptr<UrlConnection>& connection, CURL* easy);
  void stop(CURL* easy);
  // Cancels every transfer without callbacks; the loop is going away.
  void shutDown();

 private:
  static int socketCallback(CURL* easy, curl_socket_t socket, int what, void* self, void*);
  static int timerCallback(CURLM* multi, long timeoutMs, void* self);
  void onSocket(curl_socket_t socket, unsigned events);
  void onTimeout();
  void afterAction();
  bool loopAlive() const { return !loopLifetime_.expired(); }

  RunLoop* loop_;
  std::weak_ptr<void> loopLifetime_;
  CURLM* multi_ = nullptr;
  RunLoop::CallbackId timer_ = 0;
  std::map<curl_socket_t, RunLoop::CallbackId> watches_;
  std::map<CURL*, std::weak_ptr<UrlConnection>> transfers_;
};

}  // namespace platform::net
