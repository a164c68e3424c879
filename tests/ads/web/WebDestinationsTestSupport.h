#pragma once
// What the browser and canvas tests share: the app's screen with a banner at
// the bottom of a navigation view, a host that writes down its modal
// notifications, a loopback server for pages (also the static-media host,
// so the canvas page comes from it), the journal's modal and link-rule
// events, the URLs handed to the system and the alerts shown. The run loop
// is on a simulated clock, as in a headless run: web loads hold time still
// until they end.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ads/PennantAdServer.h"
#include "ads/PennantViewInternal.h"
#include "ads/destinations/PennantModalController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/shell/ControlPresser.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/PopupPresenter.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewRegistry.h"
#include "tests/ads/AdsTestSupport.h"
#include "tests/ads/ClickTestSupport.h"
#include "tests/platform/net/LoopbackServer.h"

namespace pennant::webtest {

inline std::string page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html><html><head><meta charset='utf-8'><title>" + title + "</title></head><body>" + body +
         "</body></html>";
}

class RecordingHost : public PennantDelegate {
 public:
  std::optional<std::string> publisherId() override { return "p"; }
  void willPresentWebView() override { notes.push_back("will-present browser"); }
  void didDismissWebView() override { notes.push_back("did-dismiss browser"); }
  void willPresentModalCanvas() override { notes.push_back("will-present canvas"); }
  void didDismissModalCanvas() override { notes.push_back("did-dismiss canvas"); }
  std::optional<int> embeddedWebViewBarStyle() override { return barStyle; }
  std::optional<platform::graphics::Color> embeddedWebViewTintColor() override { return tint; }

  std::vector<std::string> notes;
  std::optional<int> barStyle;
  std::optional<platform::graphics::Color> tint;
};

class WebDestinationsTest : public ::testing::Test {
 protected:
  static constexpr double kRealCap = 20;

  WebDestinationsTest() : loop_(std::make_shared<platform::SimulatedClock>(0.0)) {
    pennant::testing::testHome();
    loop_.makeCurrent();
    loop_.setWorkInFlightCap(kRealCap);
    window_->makeKeyAndVisible();
    navigation_->addSubview(adView_);
    window_->addSubview(navigation_);
    server_.server.set_keep_alive_max_count(1);
    PennantModalController::setObserver([this](const std::string& event, const std::string& kind, const std::string& outcome) {
      modalEvents_.push_back(kind + " " + event + (outcome.empty() ? "" : " " + outcome));
    });
  }
  ~WebDestinationsTest() override {
    PennantModalController::setObserver(nullptr);
    auto& presenter = platform::ui::PopupPresenter::shared();
    while (auto shown = presenter.shownPopup()) shown->dismissWithClickedButtonIndexAnimated(0, false);
    PennantAdServer::setStaticMediaHost(PennantAdServer::kDefaultStaticMediaHost);
  }

  void startServer() {
    server_.start();
    PennantAdServer::setStaticMediaHost(server_.url(""));
  }
  std::shared_ptr<const platform::Url> url(const std::string& path) {
    return platform::Url::URLWithString(server_.url(path));
  }

  // Lets due callbacks run and the loads in flight end.
  void settle() {
    loop_.settle();
    loop_.runPending();
  }
  // Moves simulated time on.
  void advance(double seconds) {
    settle();
    loop_.advanceBy(seconds);
    settle();
  }
  // Waits in real time until no page loads any more, navigations a page
  // has just asked for included.
  void waitForPages() {
    ASSERT_TRUE(platform::web::WebViewRegistry::waitUntilIdle(loop_, kRealCap));
    settle();
  }
  bool spinUntil(const std::function<bool()>& done, double seconds = kRealCap) {
    return nettest::spinUntil(loop_, done, seconds);
  }

  std::shared_ptr<platform::ui::AlertView> shownAlert() {
    return std::dynamic_pointer_cast<platform::ui::AlertView>(platform::ui::PopupPresenter::shared().shownPopup());
  }
  // The title and message of every alert shown so far, answered with their
  // only button.
  std::vector<std::string> takeAlerts() {
    std::vector<std::string> texts;
    while (auto alert = shownAlert()) {
      texts.push_back(alert->title().value_or("") + ": " + alert->message().value_or(""));
      alert->dismissWithClickedButtonIndexAnimated(0, false);
      settle();
    }
    return texts;
  }
  // A finger down and up at a window point.
  void tap(platform::graphics::Point point) {
    if (window_->sendTouch(platform::ui::TouchPhase::Began, point)) {
      window_->sendTouch(platform::ui::TouchPhase::Ended, point);
    }
  }

  platform::RunLoop loop_;
  nettest::LoopbackServer server_;
  std::shared_ptr<platform::ui::Window> window_ = platform::ui::Window::create({{0, 0}, {320, 480}});
  std::shared_ptr<platform::ui::View> navigation_ = platform::ui::View::create({{0, 20}, {320, 460}});
  std::shared_ptr<PennantView> adView_ = PennantViewInternal::create({{0, 412}, {320, 48}});
  std::shared_ptr<RecordingHost> host_ = std::make_shared<RecordingHost>();
  pennant::testing::OpenedURLs opened_;
  std::vector<std::string> modalEvents_;
};

}  // namespace pennant::webtest
