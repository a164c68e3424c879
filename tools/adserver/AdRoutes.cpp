#include "tools/adserver/AdRoutes.h"

#include <optional>

namespace pennant::adserver {

namespace {

// The single path segment after prefix, or nullopt when the path has another
// prefix, an empty segment or further segments.
std::optional<std::string_view> segmentAfter(std::string_view path, std::string_view prefix) {
  if (path.substr(0, prefix.size()) != prefix) return std::nullopt;
  const std::string_view rest = path.substr(prefix.size());
  if (rest.empty() || rest.find('/') != std::string_view::npos) return std::nullopt;
  return rest;
}

bool isKnownPath(std::string_view path) {
  return path == "/ad_source.php" || segmentAfter(path, "/click/") || segmentAfter(path, "/pixel/") ||
         segmentAfter(path, "/acquire/") || path.substr(0, 8) == "/static/";
}

}  // namespace

AdRoutes::AdRoutes(std::shared_ptr<const Inventory> inventory, StaticContent staticContent, std::string baseUrl,
                   std::optional<std::string> onlyAction)
    : inventory_(std::move(inventory)),
      staticContent_(std::move(staticContent)),
      baseUrl_(std::move(baseUrl)),
      onlyAction_(std::move(onlyAction)) {}

std::string AdRoutes::withBase(std::string_view text, std::string_view base) {
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const auto at = text.find(kBasePlaceholder, from);
    if (at == std::string_view::npos) break;
    out.append(text.substr(from, at - from));
    out.append(base);
    from = at + kBasePlaceholder.size();
  }
  out.append(text.substr(from));
  return out;
}

std::string_view AdRoutes::pixelGif() {
  static constexpr unsigned char kGif[] = {
      0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0x00, 0x00,
      0x00, 0xFF, 0xFF, 0xFF, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
      0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
  return std::string_view(reinterpret_cast<const char*>(kGif), sizeof(kGif));
}

Answer AdRoutes::notFound(bool jsonAnswer) {
  if (jsonAnswer) return Answer{404, "{}", "application/json"};
  return Answer{404, "not found\n", "text/plain; charset=utf-8"};
}

Answer AdRoutes::answer(std::string_view method, std::string_view path, const QueryString& query) {
  if (!isKnownPath(path)) return notFound(false);
  if (method != "GET" && method != "HEAD") return Answer{405, "only GET is served here\n", "text/plain; charset=utf-8"};
  if (path == "/ad_source.php") return adRequest(query);
  if (auto id = segmentAfter(path, "/click/")) return click(*id);
  if (segmentAfter(path, "/pixel/")) return Answer{200, std::string(pixelGif()), "image/gif"};
  if (segmentAfter(path, "/acquire/")) return Answer{200, "ok", "text/plain; charset=utf-8"};
  if (auto entry = staticContent_.lookup(path)) return Answer{200, std::move(entry->body), entry->contentType};
  return notFound(false);
}

Answer AdRoutes::adRequest(const QueryString& query) {
  const auto publisher = query.value("s");
  if (!publisher || publisher->empty()) return Answer{400, "{\"error\":\"missing parameter s\"}", "application/json"};
  std::optional<std::string> action = onlyAction_;
  std::string selection = "all";
  if (query.value("m") == "test") {
    if (auto testAction = query.value("test_action")) {
      if (onlyAction_ && *onlyAction_ != *testAction) return notFound(true);
      action = testAction;
    }
    selection = action ? "test:" + *action : "test";
  }
  const auto candidates = inventory_->liveAds(action);
  if (candidates.empty()) return notFound(true);
  std::size_t index = 0;
  {
    std::lock_guard lock(mutex_);
    std::size_t& next = nextIndex_[selection];
    index = next % candidates.size();
    next = index + 1;
  }
  return Answer{200, withBase(candidates[index]->adJson, baseUrl_), "application/json"};
}

Answer AdRoutes::click(std::string_view id) const {
  const InventoryAd* ad = inventory_->adWithId(id);
  if (!ad) return notFound(true);
  return Answer{200, withBase(ad->clickJson, baseUrl_), "application/json"};
}

}  // namespace pennant::adserver
