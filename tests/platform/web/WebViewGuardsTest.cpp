// Pages never block the app or escape the web view: dialogs are answered at
// once, new windows load in the same view through the delegate, the
// delegate's "no" stops top-level loads, links and sub-frames alike, and no
// route leads to a local file.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

namespace fs = std::filesystem;

class WebViewGuards : public WebViewFixture {
 protected:
  void SetUp() override {
    secret_ = fs::temp_directory_path() / ("web-guards-" + std::to_string(::getpid()) + ".html");
    std::ofstream(secret_) << page("Local secret", "secret");
    const std::string fileUrl = "file://" + secret_.string();
    auto& s = server_.server;
    s.Get("/dialogs", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Dialogs", "<script>alert('hi'); window.answers = [confirm('sure?'), prompt('name?', 'x')];"
                                       "</script>"),
                      "text/html");
    });
    s.Get("/opener", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Opener", "<a id='blank' target='_blank' href='/popup?link'>new</a>"), "text/html");
    });
    s.Get("/popup", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Popup", "popup"), "text/html");
    });
    s.Get("/framed", [fileUrl](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Framed", "<iframe id='inner' src='/popup?frame'></iframe>"
                                     "<iframe id='local' src='" + fileUrl + "'></iframe>"
                                     "<img id='img' src='" + fileUrl + "'>"),
                      "text/html");
    });
    s.Get("/to-file", [fileUrl](const httplib::Request&, httplib::Response& res) { res.set_redirect(fileUrl); });
    server_.start();
    web_ = makeWebView();
  }
  void TearDown() override { fs::remove(secret_); }

  void waitForEnd() { ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); })); }
  // Waits until the page has asked for whatever it scheduled and no load is
  // left in flight.
  void letQuietLoadsLapse() { ASSERT_TRUE(WebViewRegistry::waitUntilIdle(loop_, kRealCap)); }

  fs::path secret_;
  std::shared_ptr<WebView> web_;
};

TEST_F(WebViewGuards, DialogsAreAnsweredWithoutBlocking) {
  load(*web_, server_.url("/dialogs"));
  EXPECT_EQ(delegate_->events.back(), "finish");
  // confirm is declined, prompt cancelled.
  EXPECT_EQ(web_->stringByEvaluatingJavaScriptFromString("JSON.stringify(window.answers)"), "[false,null]");
  EXPECT_EQ(web_->stringByEvaluatingJavaScriptFromString("alert('again'); 'after the alert'"), "after the alert");
}

TEST_F(WebViewGuards, NewWindowsLoadInTheSameViewAfterOneQuestion) {
  load(*web_, server_.url("/opener"));
  delegate_->events.clear();
  web_->stringByEvaluatingJavaScriptFromString("document.getElementById('blank').click()");
  waitForEnd();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/popup?link") + " 0", "start", "finish"}));
  EXPECT_EQ(web_->title(), "Popup");

  load(*web_, server_.url("/opener"));
  delegate_->events.clear();
  EXPECT_EQ(web_->stringByEvaluatingJavaScriptFromString("String(window.open('/popup?script'))"), "null");
  waitForEnd();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/popup?script") + " 5", "start", "finish"}));
  EXPECT_EQ(web_->request()->url(), server_.url("/popup?script"));

  // Refused, a new window loads nowhere.
  load(*web_, server_.url("/opener"));
  delegate_->events.clear();
  delegate_->policy = [](const std::string& url, WebNavigationType) { return url.find("popup") == std::string::npos; };
  web_->stringByEvaluatingJavaScriptFromString("window.open('/popup?refused')");
  letQuietLoadsLapse();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/popup?refused") + " 5"}));
  EXPECT_EQ(web_->title(), "Opener");
}

TEST_F(WebViewGuards, TheDelegatesNoStopsLinksTopLevelLoadsAndSubFrames) {
  delegate_->policy = [](const std::string& url, WebNavigationType) { return url.find("?frame") == std::string::npos; };
  load(*web_, server_.url("/framed"));
  EXPECT_EQ(delegate_->events.back(), "finish");
  EXPECT_NE(std::find(delegate_->events.begin(), delegate_->events.end(), "ask " + server_.url("/popup?frame") + " 5"),
            delegate_->events.end());
  EXPECT_EQ(web_->stringByEvaluatingJavaScriptFromString(
                "document.getElementById('inner').contentDocument.body.innerText"),
            "");

  delegate_->policy = [](const std::string& url, WebNavigationType) { return url.find("/opener") == std::string::npos; };
  delegate_->events.clear();
  web_->loadRequest(WebRequest(server_.url("/opener")));
  EXPECT_TRUE(web_->isLoading());
  letQuietLoadsLapse();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/opener") + " 5"}));
  EXPECT_EQ(web_->title(), "Framed");

  delegate_->policy = [](const std::string& url, WebNavigationType) { return url.find("/popup") == std::string::npos; };
  load(*web_, server_.url("/opener"));
  delegate_->events.clear();
  web_->stringByEvaluatingJavaScriptFromString("location.href = '/popup?link'");
  letQuietLoadsLapse();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/popup?link") + " 5"}));
  EXPECT_EQ(web_->title(), "Opener");
}

TEST_F(WebViewGuards, NoRouteLoadsALocalFile) {
  const std::string fileUrl = "file://" + secret_.string();
  // Asked for directly, even with the delegate's yes.
  web_->loadRequest(WebRequest(fileUrl));
  letQuietLoadsLapse();
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + fileUrl + " 5"}));
  EXPECT_NE(web_->title(), "Local secret");

  // Through a redirect: the load is given up.
  load(*web_, server_.url("/to-file"));
  EXPECT_EQ(delegate_->events.back(), "fail -999");
  EXPECT_NE(web_->title(), "Local secret");

  // As a frame or an image of a page from the network.
  load(*web_, server_.url("/framed"));
  EXPECT_EQ(web_->stringByEvaluatingJavaScriptFromString(
                "(function(){ try { return document.getElementById('local').contentDocument.title; }"
                " catch (e) { return 'blocked'; } })()"),
            "blocked");
  EXPECT_EQ(web_->stringByEvaluatingJavaScriptFromString("document.getElementById('img').naturalWidth"), "0");

  // As a new window.
  web_->stringByEvaluatingJavaScriptFromString("window.open('" + fileUrl + "')");
  letQuietLoadsLapse();
  EXPECT_EQ(web_->title(), "Framed");
}

}  // namespace
}  // namespace webtest
