#pragma once
// The ad protocol itself, free of HTTP plumbing: given a method, a path and
// the query, the answer the server gives when no fault interferes.
//
//   GET /ad_source.php          the next live ad, round-robin (400 without "s";
//                               with m=test and test_action=X an ad whose "6"
//                               is X, 404 "{}" when there is none)
//   GET /click/<id>             the ad's click answer (404 "{}" for an unknown id)
//   GET /pixel/<name>           a transparent 1x1 GIF
//   GET /acquire/<id>           "ok"
//   GET /static/...             painted pictures and the inventory's files
//
// Every "{{base}}" in an ad or click answer becomes the server's base URL
// ("http://127.0.0.1:PORT"), so one inventory works on any port. The
// round-robin position is kept per selection (all ads, or test mode with a
// given action), so interleaved test-mode requests do not disturb the normal
// rotation. Thread-safe.

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "tools/adserver/Answer.h"
#include "tools/adserver/Inventory.h"
#include "tools/adserver/QueryString.h"
#include "tools/adserver/StaticContent.h"

namespace pennant::adserver {

inline constexpr std::string_view kBasePlaceholder = "{{base}}";

class AdRoutes {
 public:
  // With `onlyAction`, ad requests are answered only with live ads of that
  // action (a test-mode request for another action finds none).
  AdRoutes(std::shared_ptr<const Inventory> inventory, StaticContent staticContent, std::string baseUrl,
           std::optional<std::string> onlyAction = std::nullopt);

  Answer answer(std::string_view method, std::string_view path, const QueryString& query);

  // Replaces every placeholder in text with base.
  static std::string withBase(std::string_view text, std::string_view base);
  // The 1x1 transparent GIF served for pixels.
  static std::string_view pixelGif();

 private:
  Answer adRequest(const QueryString& query);
  Answer click(std::string_view id) const;
  static Answer notFound(bool jsonAnswer);

  std::shared_ptr<const Inventory> inventory_;
  StaticContent staticContent_;
  std::string baseUrl_;
  std::optional<std::string> onlyAction_;
  std::mutex mutex_;
  std::map<std::string, std::size_t, std::less<>> nextIndex_;
};

}  // namespace pennant::adserver
