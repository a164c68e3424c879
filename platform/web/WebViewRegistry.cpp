#include "platform/web/WebViewRegistry.h"

#include <algorithm>

#include "platform/foundation/RealClock.h"
#include "platform/web/WebView.h"

namespace platform::web {

namespace {

std::vector<std::weak_ptr<WebView>>& registry() {
  static auto* views = new std::vector<std::weak_ptr<WebView>>();
  return *views;
}

}  // namespace

void WebViewRegistry::add(const std::shared_ptr<WebView>& view) {
  auto& views = registry();
  std::erase_if(views, [](const auto& weak) { return weak.expired(); });
  views.push_back(view);
}

std::vector<std::shared_ptr<WebView>> WebViewRegistry::all() {
  std::vector<std::shared_ptr<WebView>> views;
  for (const auto& weak : registry()) {
    if (auto view = weak.lock()) views.push_back(std::move(view));
  }
  return views;
}

bool WebViewRegistry::anyLoadInFlight() {
  const auto views = all();
  return std::any_of(views.begin(), views.end(), [](const auto& view) { return view->isLoading(); });
}

std::shared_ptr<WebView> WebViewRegistry::topmostIn(const std::shared_ptr<ui::View>& root) {
  if (!root || root->isHidden() || root->alpha() <= 0) return nullptr;
  const auto& children = root->subviews();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (auto found = topmostIn(*it)) return found;
  }
  return std::dynamic_pointer_cast<WebView>(root);
}

bool WebViewRegistry::waitUntilIdle(RunLoop& loop, double cap) {
  RealClock clock;
  const double deadline = clock.now() + cap;
  auto left = [&] { return deadline - clock.now(); };
  for (;;) {
    for (const auto& view : all()) {
      if (auto* engine = view->engine(); engine && left() > 0) {
        engine->roundTrip(std::min(left(), WebEngineView::kScriptTimeout));
      }
    }
    loop.runPending();  // the reports held during the round trips
    if (!anyLoadInFlight()) return true;
    while (anyLoadInFlight()) {
      if (left() <= 0) return false;
      loop.runOnce(std::min(left(), kIdlePollSeconds));
    }
    loop.runPending();
  }
}

}  // namespace platform::web
