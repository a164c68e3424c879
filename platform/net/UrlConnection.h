#pragma once
// An asynchronous HTTP GET, driven by the run loop (no threads, no polling).
//
//   auto connection = UrlConnection::connectionWithRequestDelegate(request, delegate);
//   if (!connection) { /* could not even start: report it */ }
//   ...
//   connection->cancel();   // optional; nothing is reported afterwards
//
// The load starts at once; callbacks (see UrlConnectionDelegate) arrive from
// later run-loop rounds, never from inside connectionWithRequestDelegate().
// Redirects are followed here, hop by hop (at most 16, http and https only,
// all within the request's one time-out), and each response is reported;
// the body of a response that is followed is dropped. A header the request
// binds to its origin goes only to hops on that origin. Responses of every
// status are delivered; deciding what a 404 means is the client's business.
//
// Ownership: a loading connection keeps itself and its delegate alive until
// it finishes, fails or is cancelled, so a client may drop its reference
// without stopping the load. All connections on one run loop share a single
// transfer engine, so connections to the same server reuse kept-alive
// sockets. While loading, a connection counts as work in flight on its run
// loop: simulated time does not move on until it ends.

#include <curl/curl.h>

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/UrlConnectionDelegate.h"
#include "platform/net/UrlOrigin.h"
#include "platform/net/UrlRequest.h"
#include "platform/net/UrlResponse.h"

namespace platform::net {

class CurlMultiDriver;

class UrlConnection : public std::enable_shared_from_this<UrlConnection> {
 public:
  // The domain of the errors passed to connectionDidFailWithError. Codes:
  // -1001 timed out, -1002 unsupported URL, -1003 host not found, -1004
  // cannot connect, -1005 connection lost, -1007 too many redirects, -1200
  // secure connection failed, -1 anything else. The description carries
  // libcurl's explanation.
  static constexpr const char* kErrorDomain = "UrlConnectionErrorDomain";

  // Returns nullptr when no connection can be made: the transfer engine
  // cannot be set up, the URL does not parse, or its scheme is not http or
  // https.
  static std::shared_ptr<UrlConnection> connectionWithRequestDelegate(
      const UrlRequest& request, std::shared_ptr<UrlConnectionDelegate> delegate,
      RunLoop& loop = RunLoop::current());

  ~UrlConnection();
  UrlConnection(const UrlConnection&) = delete;
  UrlConnection& operator=(const UrlConnection&) = delete;

  // Stops the load. No callback follows, also when called from inside one.
  void cancel();
  bool isLoading() const { return loading_; }
  const UrlRequest& request() const { return request_; }

 private:
  friend class CurlMultiDriver;
  struct Private {};
  struct Event {
    std::optional<UrlResponse> response;  // set: a response; unset: body bytes
    std::string bytes;
  };

 public:
  UrlConnection(Private, UrlRequest request, std::shared_ptr<UrlConnectionDelegate> delegate);

 private:
  bool configure();
  // Points the transfer at one hop: its URL, the headers that may go there
  // (those bound to the request's origin only when `hopOrigin` is it), and
  // what is left of the time-out.
  bool configureHop(const std::string& url, const std::optional<UrlOrigin>& hopOrigin);
  void finishedWithResult(CURLcode result) { finished_ = true, result_ = result; }
  // The target of the response just finished when it is a redirect to follow.
  std::optional<std::string> redirectTarget() const;
  // Starts the next hop; otherwise sets result_ to the reason it cannot.
  bool followRedirect(const std::string& target);
  void deliverPending();
  void stopLoading();
  Error errorForResult(CURLcode result) const;

  static size_t writeCallback(char* data, size_t size, size_t count, void* self);
  static size_t headerCallback(char* data, size_t size, size_t count, void* self);
  void headerLine(std::string_view line);

  UrlRequest request_;
  std::shared_ptr<UrlConnectionDelegate> delegate_;
  std::shared_ptr<CurlMultiDriver> driver_;
  std::shared_ptr<UrlConnection> selfWhileLoading_;
  RunLoop::WorkInFlight inFlight_;
  CURL* easy_ = nullptr;
  curl_slist* headers_ = nullptr;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  // What curl handed us inside its callbacks, delivered once curl returns,
  // so that delegates can cancel, start new loads and destroy things freely.
  std::deque<Event> pending_;
  std::optional<UrlResponse> incoming_;  // a response whose header lines are still arriving
  bool droppingBody_ = false;             // the response is a redirect that will be followed
  std::optional<UrlOrigin> origin_;       // of the request's own URL
  int redirects_ = 0;
  std::chrono::steady_clock::time_point started_;
  bool loading_ = false;
  bool finished_ = false;
  CURLcode result_ = CURLE_OK;
};

}  // namespace platform::net
