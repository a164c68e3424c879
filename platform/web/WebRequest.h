#pragma once
// What a web view is asked to load: a URL text, how the engine may use its
// cache, and how long the whole load may take. A plain value; the web view
// keeps a copy of the request of the page it shows.
//
//   web->loadRequest(WebRequest("http://127.0.0.1:8080/static/page.html",
//                               WebRequest::CachePolicy::ReloadIgnoringLocalAndRemoteCacheData, 600));

#include <string>
#include <utility>

namespace platform::web {

class WebRequest {
 public:
  // The platform's cache policies, with its numbers (loads may pass them on
  // as integers).
  enum class CachePolicy {
    UseProtocolCachePolicy = 0,
    ReloadIgnoringLocalCacheData = 1,
    ReturnCacheDataElseLoad = 2,
    ReturnCacheDataDontLoad = 3,
    ReloadIgnoringLocalAndRemoteCacheData = 4,
    ReloadRevalidatingCacheData = 5,
  };

  // The platform's default time-out of a plain request, in seconds.
  static constexpr double kDefaultTimeoutInterval = 60.0;

  explicit WebRequest(std::string url, CachePolicy cachePolicy = CachePolicy::UseProtocolCachePolicy,
                      double timeoutInterval = kDefaultTimeoutInterval)
      : url_(std::move(url)), cachePolicy_(cachePolicy), timeoutInterval_(timeoutInterval) {}

  const std::string& url() const { return url_; }
  CachePolicy cachePolicy() const { return cachePolicy_; }
  // Seconds of real time from the start of the load to its end; zero or
  // less means the default.
  double timeoutInterval() const { return timeoutInterval_; }

  // Whether the load must go to the server past every cache: the engine's
  // memory cache and any cache between it and the server.
  bool bypassesCaches() const {
    return cachePolicy_ == CachePolicy::ReloadIgnoringLocalCacheData ||
           cachePolicy_ == CachePolicy::ReloadIgnoringLocalAndRemoteCacheData;
  }

 private:
  std::string url_;
  CachePolicy cachePolicy_;
  double timeoutInterval_;
};

}  // namespace platform::web
