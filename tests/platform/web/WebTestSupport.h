#pragma once
// What the web view tests share: a loopback server with a few pages, a
// delegate that writes down what it is told (and answers as told), and a
// fixture with a run loop on a simulated clock, as headless runs have.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewRegistry.h"
#include "platform/web/WebViewDelegate.h"
#include "tests/platform/net/LoopbackServer.h"

namespace webtest {

// web-test-app, the small program around one web view that the whole-program
// tests run; it hosts no ad library, so it takes none of the ad server's flags.
inline std::string webTestApp() {
  const char* path = std::getenv("WEB_TEST_APP");
  return path ? path : "web-test-app";
}

using platform::web::WebNavigationType;
using platform::web::WebRequest;
using platform::web::WebView;
using platform::web::WebViewRegistry;

// A page whose body has `color` as its background.
inline std::string page(const std::string& title, const std::string& body, const std::string& color = "#ffffff") {
  return "<!DOCTYPE html><html><head><title>" + title + "</title></head><body style='margin:0;background:" +
         color + "'>" + body + "</body></html>";
}

class RecordingWebDelegate : public platform::web::WebViewDelegate {
 public:
  // "ask URL TYPE", "start", "finish", "fail CODE", in order.
  std::vector<std::string> events;
  std::vector<platform::Error> errors;
  // Answers webViewShouldStartLoadWithRequest; default yes.
  std::function<bool(const std::string& url, WebNavigationType type)> policy;
  std::function<void(WebView&)> onFinish;
  std::function<void(WebView&)> onStart;
  std::function<void(WebView&)> onFail;

  bool webViewShouldStartLoadWithRequest(WebView&, const WebRequest& request, WebNavigationType type) override {
    events.push_back("ask " + request.url() + " " + std::to_string(static_cast<int>(type)));
    return !policy || policy(request.url(), type);
  }
  void webViewDidStartLoad(WebView& view) override {
    events.push_back("start");
    if (onStart) onStart(view);
  }
  void webViewDidFinishLoad(WebView& view) override {
    events.push_back("finish");
    if (onFinish) onFinish(view);
  }
  void webViewDidFailLoadWithError(WebView& view, const platform::Error& error) override {
    events.push_back("fail " + std::to_string(error.code));
    errors.push_back(error);
    if (onFail) onFail(view);
  }

  int count(const std::string& event) const {
    int n = 0;
    for (const auto& e : events) n += e == event;
    return n;
  }
  bool ended() const {
    for (const auto& e : events) {
      if (e == "finish" || e.rfind("fail", 0) == 0) return true;
    }
    return false;
  }
};

class WebViewFixture : public ::testing::Test {
 protected:
  static constexpr double kRealCap = 20;

  WebViewFixture() : loop_(std::make_shared<platform::SimulatedClock>(0.0)) {
    loop_.makeCurrent();
    loop_.setWorkInFlightCap(kRealCap);
    // One request per connection: the engine's network process keeps idle
    // connections open, and the server would wait for them when it stops.
    server_.server.set_keep_alive_max_count(1);
  }

  std::shared_ptr<WebView> makeWebView(platform::graphics::Rect frame = {{0, 0}, {320, 372}}) {
    auto view = WebView::create(frame);
    view->setDelegate(delegate_);
    return view;
  }

  // Lets every load in flight end (the run loop's own rule) and delivers
  // what the engine reported.
  void settle() { loop_.settle(); }

  // Runs the loop in real time until `done` or the cap.
  bool spinUntil(const std::function<bool()>& done, double seconds = kRealCap) {
    return nettest::spinUntil(loop_, done, seconds);
  }

  // Loads `url` and waits for its end.
  void load(WebView& view, const std::string& url) {
    delegate_->events.clear();
    view.loadRequest(WebRequest(url));
    ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); })) << "no end of the load of " << url;
  }

  platform::RunLoop loop_;
  std::shared_ptr<RecordingWebDelegate> delegate_ = std::make_shared<RecordingWebDelegate>();
  nettest::LoopbackServer server_;
};

}  // namespace webtest
