// Loading pages for real from a loopback server: the delegate's calls in
// order, the page's state, history, cache policy, scale-to-fit, and
// simulated time standing still while a page loads.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

class WebViewLoading : public WebViewFixture {
 protected:
  void SetUp() override {
    server_.server.Get("/a", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Page A", "<a id='next' href='/b'>next</a>", "#ff0000"), "text/html");
    });
    server_.server.Get("/b", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Page B", "b"), "text/html");
    });
    server_.server.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content(page("Not here", "404"), "text/html");
    });
    server_.server.Get("/broken", [](const httplib::Request&, httplib::Response& res) {
      res.status = 500;
      res.set_content("oops", "text/plain");
    });
    server_.server.Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(slowMs_));
      res.set_content(page("Slow", "slow"), "text/html");
    });
    server_.server.Get("/headers", [this](const httplib::Request& req, httplib::Response& res) {
      cacheControl_ = req.get_header_value("Cache-Control");
      res.set_content(page("Headers", "h"), "text/html");
    });
    server_.server.Get("/wide", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Wide", "<div style='width:960px;height:10px'></div>"), "text/html");
    });
    server_.start();
  }

  int slowMs_ = 300;
  std::string cacheControl_ = "unset";
};

TEST_F(WebViewLoading, LoadsAPageFollowsALinkAndMovesThroughHistory) {
  auto web = makeWebView();
  ASSERT_TRUE(web->hasEngine());
  EXPECT_FALSE(web->request());
  load(*web, server_.url("/a"));
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/a") + " 5", "start", "finish"}));
  EXPECT_FALSE(web->isLoading());
  EXPECT_EQ(web->title(), "Page A");
  ASSERT_TRUE(web->request());
  EXPECT_EQ(web->request()->url(), server_.url("/a"));
  EXPECT_FALSE(web->canGoBack());

  delegate_->events.clear();
  web->stringByEvaluatingJavaScriptFromString("document.getElementById('next').click()");
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/b") + " 0", "start", "finish"}));
  EXPECT_EQ(web->request()->url(), server_.url("/b"));
  EXPECT_TRUE(web->canGoBack());
  EXPECT_FALSE(web->canGoForward());

  delegate_->events.clear();
  web->goBack();
  EXPECT_TRUE(web->isLoading());  // at once, before the engine answers
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/a") + " 2", "start", "finish"}));
  EXPECT_EQ(web->title(), "Page A");
  EXPECT_TRUE(web->canGoForward());

  delegate_->events.clear();
  web->goForward();
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(web->title(), "Page B");

  delegate_->events.clear();
  web->reload();
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/b") + " 3", "start", "finish"}));
}

TEST_F(WebViewLoading, HttpErrorPagesAreFinishedLoads) {
  auto web = makeWebView();
  load(*web, server_.url("/missing"));
  EXPECT_EQ(delegate_->events.back(), "finish");
  EXPECT_EQ(web->title(), "Not here");
  load(*web, server_.url("/broken"));
  EXPECT_EQ(delegate_->events.back(), "finish");
  EXPECT_EQ(web->request()->url(), server_.url("/broken"));
}

TEST_F(WebViewLoading, StopLoadingEndsTheLoadAsCancelled) {
  slowMs_ = 1000;
  auto web = makeWebView();
  delegate_->onStart = [](WebView& view) { view.stopLoading(); };
  web->loadRequest(WebRequest(server_.url("/slow")));
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(delegate_->events.back(), "fail -999");
  EXPECT_EQ(delegate_->count("start"), 1);
  EXPECT_FALSE(web->isLoading());
}

TEST_F(WebViewLoading, ANewLoadReplacesOneInProgressWhichEndsCancelled) {
  slowMs_ = 1000;
  auto web = makeWebView();
  bool replaced = false;
  std::vector<bool> loadingWhenTold;
  delegate_->onStart = [&](WebView& view) {
    if (replaced) return;
    replaced = true;
    view.loadRequest(WebRequest(server_.url("/b")));
  };
  delegate_->onFail = [&](WebView& view) { loadingWhenTold.push_back(view.isLoading()); };
  web->loadRequest(WebRequest(server_.url("/slow")));
  ASSERT_TRUE(spinUntil([&] { return delegate_->count("finish") == 1; }));
  EXPECT_EQ(delegate_->events,
            (std::vector<std::string>{"ask " + server_.url("/slow") + " 5", "start", "fail -999",
                                      "ask " + server_.url("/b") + " 5", "start", "finish"}));
  // From the new request on, the view counted as loading without a gap.
  EXPECT_EQ(loadingWhenTold, std::vector<bool>{true});
  EXPECT_EQ(web->title(), "Page B");
  EXPECT_FALSE(web->isLoading());
}

TEST_F(WebViewLoading, ReloadIgnoringCachesAsksPastEveryCache) {
  auto web = makeWebView();
  load(*web, server_.url("/headers"));
  EXPECT_EQ(cacheControl_, "");
  delegate_->events.clear();
  web->loadRequest(WebRequest(server_.url("/headers"), WebRequest::CachePolicy::ReloadIgnoringLocalAndRemoteCacheData, 600));
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(cacheControl_, "no-cache");
  ASSERT_TRUE(web->request());
  EXPECT_EQ(web->request()->cachePolicy(), WebRequest::CachePolicy::ReloadIgnoringLocalAndRemoteCacheData);
  EXPECT_EQ(web->request()->timeoutInterval(), 600);
}

TEST_F(WebViewLoading, ScaleToFitShrinksWidePagesToTheViewsWidth) {
  auto web = makeWebView();
  load(*web, server_.url("/wide"));
  EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("window.innerWidth"), "320");

  web->setScalesPageToFit(true);
  load(*web, server_.url("/wide"));
  // Zoomed out to a third, the page's own width in CSS pixels is 960.
  EXPECT_NEAR(std::stod(web->stringByEvaluatingJavaScriptFromString("window.innerWidth")), 960, 2);

  load(*web, server_.url("/b"));  // a narrow page stays at full size
  EXPECT_EQ(web->stringByEvaluatingJavaScriptFromString("window.innerWidth"), "320");
}

TEST_F(WebViewLoading, SimulatedTimeStandsStillWhileAPageLoads) {
  auto web = makeWebView();
  double finishedAt = -1;
  delegate_->onFinish = [&](WebView&) { finishedAt = loop_.now(); };
  bool timerFired = false;
  loop_.performAfterDelay(0.1, [&] { timerFired = true; });
  web->loadRequest(WebRequest(server_.url("/slow")));
  // The server takes 0.3 s of real time; the clock waits for the page
  // before the timer's 0.1 s can pass.
  loop_.advanceBy(1.0);
  EXPECT_EQ(delegate_->events.back(), "finish");
  EXPECT_EQ(finishedAt, 0);
  EXPECT_TRUE(timerFired);
  EXPECT_EQ(loop_.workInFlightCount(), 0u);
}

TEST_F(WebViewLoading, ABadUrlFailsLaterWithoutStarting) {
  auto web = makeWebView();
  web->loadRequest(WebRequest("http://[::1"));
  EXPECT_TRUE(delegate_->events.empty());  // never from inside the call
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"fail -1000"}));
  EXPECT_FALSE(web->isLoading());
}

}  // namespace
}  // namespace webtest
