#pragma once
// Every web view of the process, for those that look after all of them at
// once: the headless driver (which web view a script runs in, and waiting
// until pages are done) and the window's WebViewHost.
//
//   if (auto web = WebViewRegistry::topmostIn(window)) web->stringByEvaluatingJavaScriptFromString("...");
//   WebViewRegistry::waitUntilIdle(RunLoop::main(), 60);
//
// Ownership: holds the web views weakly; a web view joins when it is
// initialized and leaves when it is destroyed.

#include <memory>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

namespace platform::web {

class WebView;

class WebViewRegistry {
 public:
  // How often waitUntilIdle looks again, in real seconds, while loads go on.
  static constexpr double kIdlePollSeconds = 0.05;

  static void add(const std::shared_ptr<WebView>& view);
  // Every web view alive, oldest first.
  static std::vector<std::shared_ptr<WebView>> all();
  static bool anyLoadInFlight();

  // The web view drawn last (on top) in `root`'s tree among those shown
  // (not hidden, not transparent, superviews included); nullptr when none.
  static std::shared_ptr<WebView> topmostIn(const std::shared_ptr<ui::View>& root);

  // Runs `loop` until no web view loads a page, counting also navigations a
  // page has scheduled but not started yet (each page is first asked for a
  // turn of its own event loop). Waits in real time, up to `cap` seconds;
  // false when the cap was reached.
  static bool waitUntilIdle(RunLoop& loop, double cap);
};

}  // namespace platform::web
