// Scripts in the page, synchronously: the value as text the way the
// platform gives it, scripts that cannot answer, and the rule that the
// delegate never hears from the web view while a script call is running.

#include <gtest/gtest.h>

#include <chrono>

#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

class WebViewScript : public WebViewFixture {
 protected:
  void SetUp() override {
    server_.server.Get("/page", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Script page", "<a id='go' href='/next'>go</a>"), "text/html");
    });
    server_.server.Get("/next", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Next", "next"), "text/html");
    });
    server_.start();
    web_ = makeWebView();
    load(*web_, server_.url("/page"));
  }
  std::string eval(const std::string& script) { return web_->stringByEvaluatingJavaScriptFromString(script); }

  std::shared_ptr<WebView> web_;
};

TEST_F(WebViewScript, ResultsComeBackAsThePlatformWritesThem) {
  EXPECT_EQ(eval("'text with \\u00e9'"), "text with \xC3\xA9");
  EXPECT_EQ(eval("1 + 1"), "2");
  EXPECT_EQ(eval("1.5"), "1.5");
  EXPECT_EQ(eval("0.1 + 0.2"), "0.30000000000000004");
  EXPECT_EQ(eval("1 < 2"), "true");
  EXPECT_EQ(eval("undefined"), "");
  EXPECT_EQ(eval("null"), "");
  EXPECT_EQ(eval("var x = 3;"), "");
  EXPECT_EQ(eval("({a: 1})"), "[object Object]");
  EXPECT_EQ(eval("[1, 'b']"), "1,b");
  EXPECT_EQ(eval("typeof(pennant)"), "undefined");
  // What cannot be answered gives the empty text.
  EXPECT_EQ(eval("throw new Error('boom')"), "");
  EXPECT_EQ(eval("(function () {})"), "");
  EXPECT_EQ(eval("syntax error here"), "");
  // The page is still there afterwards.
  EXPECT_EQ(eval("document.title"), "Script page");
}

TEST_F(WebViewScript, AScriptThatNeverEndsGivesUpAfterTheTimeOutAndThePageRecovers) {
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(eval("while (true) {}"), "");
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  EXPECT_GE(took, platform::web::WebEngineView::kScriptTimeout - 0.1);
  EXPECT_LT(took, platform::web::WebEngineView::kScriptTimeout + 2);
  // The hung page does not hang the next load, nor the next script.
  load(*web_, server_.url("/page"));
  EXPECT_EQ(delegate_->events.back(), "finish");
  EXPECT_EQ(eval("6 * 7"), "42");
}

TEST_F(WebViewScript, TheDelegateHearsOfANavigationOnlyAfterTheScriptCallReturns) {
  bool insideScript = false;
  std::vector<bool> askedInside;
  delegate_->policy = [&](const std::string&, WebNavigationType) {
    askedInside.push_back(insideScript);
    return true;
  };
  delegate_->events.clear();
  insideScript = true;
  // The engine asks about the link before the script's value arrives.
  EXPECT_EQ(eval("document.getElementById('go').click(); 'clicked'"), "clicked");
  insideScript = false;
  EXPECT_TRUE(askedInside.empty());
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(askedInside, std::vector<bool>{false});
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/next") + " 0", "start", "finish"}));
}

TEST_F(WebViewScript, ADelegateMayEvaluateScriptsWhileBeingTold) {
  // The browser reads the title when a load finishes.
  std::string titleAtFinish;
  delegate_->onFinish = [&](WebView& view) { titleAtFinish = view.stringByEvaluatingJavaScriptFromString("document.title"); };
  load(*web_, server_.url("/next"));
  EXPECT_EQ(titleAtFinish, "Next");
}

}  // namespace
}  // namespace webtest
