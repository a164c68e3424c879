// The canvas on real pages from a loopback static-media host: the bridge
// call with hostile URLs and titles, the "pennant" commands from the page,
// pages without the bridge and canvas pages that cannot be loaded, and the
// query reading of the commands.

#include <gtest/gtest.h>

#include "ads/PennantController.h"
#include "ads/destinations/PennantCanvasController.h"
#include "platform/foundation/JavaScriptString.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "tests/ads/web/WebDestinationsTestSupport.h"

namespace pennant::webtest {
namespace {

using Query = PennantCanvasWebView::QueryDictionary;

// A canvas page with the bridge that writes down every cb call.
constexpr const char* kBridgePage =
    "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Canvas</title><script>"
    "var pennant = {}; var calls = [];"
    "function cb(url, title) { calls.push([url, title]); }"
    "</script></head><body><a id='close' href='pennant://closecanvas'>x</a>"
    "<a id='inside' href='/inside'>in</a></body></html>";

class CanvasTest : public WebDestinationsTest {
 protected:
  void SetUp() override {
    server_.server.Get("/static/iphone/canvas.html", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(canvasPage_, "text/html");
    });
    server_.server.Get("/inside", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Inside", "<script>var pennant = 1;</script>"), "text/html");
    });
    startServer();
  }

  void present(const std::string& url, const std::string& title) {
    canvas_ = PennantCanvasController::init();
    canvas_->setPennantDelegate(host_);
    canvas_->presentCanvasFromViewUrlTitle(adView_, platform::Url::URLWithString(url), title);
    web_ = canvas_->canvasWebView();
  }
  std::string eval(const std::string& script) { return web_->stringByEvaluatingJavaScriptFromString(script); }
  // The page navigates to `url` itself, as a link would.
  void navigate(const std::string& url) {
    eval("location.href = " + platform::JavaScriptString::literal(url) + "; 1");
    waitForPages();
  }

  std::string canvasPage_ = kBridgePage;
  std::shared_ptr<PennantCanvasController> canvas_;
  std::shared_ptr<PennantCanvasWebView> web_;
};

TEST_F(CanvasTest, TheBridgeHandsThePageExactlyTheURLAndTitleOnce) {
  // Texts that ended or broke out of a quoted call: quotes, a backslash at
  // the end, a script end tag, the two line separators, a NUL.
  const std::string title = std::string("Kay's \"deals\" </script><script>pennant.owned=1</script> \xE2\x80\xA8 \xE2\x80\xA9 ") +
                            '\0' + " end\\";
  const std::string url = "http://127.0.0.1:1/land?x='+(pennant.owned=1)+'&y=%27";
  present(url, title);
  // The canvas is laid out over the backdrop, its page asked for past
  // every cache; a grey spinner shows until the page is there.
  EXPECT_EQ(web_->frame(), (platform::graphics::Rect{{0, 82.5}, {320, 295}}));
  ASSERT_TRUE(web_->request());
  EXPECT_EQ(web_->request()->url(), server_.url("/static/iphone/canvas.html"));
  EXPECT_EQ(web_->request()->cachePolicy(),
            platform::web::WebRequest::CachePolicy::ReloadIgnoringLocalAndRemoteCacheData);
  EXPECT_EQ(web_->request()->timeoutInterval(), 600);
  auto spinner = std::dynamic_pointer_cast<platform::ui::ActivityIndicatorView>(web_->viewWithTag(1));
  ASSERT_TRUE(spinner);
  EXPECT_EQ(spinner->frame(), (platform::graphics::Rect{{150, 137.5}, {20, 20}}));

  advance(0.7);
  EXPECT_FALSE(web_->viewWithTag(1));
  EXPECT_EQ(eval("JSON.stringify(calls)"), "[[" + std::string("\"") + url + "#sdk\",\"Kay's \\\"deals\\\" </script><script>pennant.owned=1</script> \xE2\x80\xA8 \xE2\x80\xA9 \\u0000 end\\\\\"]]");
  EXPECT_EQ(eval("String(pennant.owned)"), "undefined");
  EXPECT_FALSE(web_->initialLoad());
  EXPECT_EQ(modalEvents_, (std::vector<std::string>{"canvas will-present", "canvas presented"}));

  // Later pages of the canvas are not handed anything, and their failures
  // leave the canvas open.
  navigate(server_.url("/inside"));
  EXPECT_EQ(web_->request()->url(), server_.url("/inside"));
  navigate("http://127.0.0.1:" + std::to_string(pennant::testing::closedPort()) + "/");
  advance(1);
  EXPECT_EQ(modalEvents_, (std::vector<std::string>{"canvas will-present", "canvas presented"}));
  EXPECT_TRUE(takeAlerts().empty());
}

TEST_F(CanvasTest, ThePageLaunchesURLsAndClosesTheCanvasThroughThePennantScheme) {
  present("http://127.0.0.1:1/content", "Title");
  advance(0.7);
  const std::string before = web_->request()->url();
  // Commands are never loaded; launch hands over only what makes a URL,
  // and never a local file.
  navigate("pennant://launch?url=http%3A%2F%2Fshop.example%2Fa%2Bb%3Fq%3D1&url2=x");
  navigate("pennant://launch?x=1");
  navigate("pennant://launch?url=file%3A%2F%2F%2Fetc%2Fpasswd");
  navigate("pennant://launch?url=%ZZ");
  navigate("pennant://launch?url=tel%3A%2B15555550123&url=maps%3Aq%3Dcafe");
  navigate("pennant://reboot?url=http%3A%2F%2Fx");
  EXPECT_EQ(opened_.urls, (std::vector<std::string>{"http://shop.example/a+b?q=1", "maps:q=cafe"}));
  // Nor does the canvas ever show a local file, whatever the page tries.
  navigate("file:///etc/passwd");
  eval("window.open('file:///etc/hostname'); 1");
  waitForPages();
  EXPECT_EQ(web_->request()->url(), before);
  EXPECT_EQ(modalEvents_, (std::vector<std::string>{"canvas will-present", "canvas presented"}));

  // A close with a query of any shape closes.
  navigate("pennant://closecanvas?&&=x=y&%");
  advance(0.7);
  EXPECT_EQ(modalEvents_, (std::vector<std::string>{"canvas will-present", "canvas presented",
                                                    "canvas dismiss-requested start", "canvas dismissed"}));
  EXPECT_EQ(host_->notes, (std::vector<std::string>{"will-present canvas", "did-dismiss canvas"}));
  EXPECT_FALSE(std::dynamic_pointer_cast<PennantModalBackground>(window_->subviews().back()));
}

TEST_F(CanvasTest, APageWithoutTheBridgeOrACanvasThatCannotLoadClosesWithoutAWord) {
  struct Case {
    std::string label;
    std::function<void()> prepare;
  };
  const std::vector<Case> cases = {
      {"no bridge", [this] { canvasPage_ = page("Proxy error", "<a href='pennant://closecanvas'>x</a>"); }},
      {"refused", [this] { PennantAdServer::setStaticMediaHost("http://127.0.0.1:" + std::to_string(pennant::testing::closedPort())); }},
      {"not found", [this] { PennantAdServer::setStaticMediaHost("http://no-such-host.invalid"); }},
  };
  for (const auto& c : cases) {
    modalEvents_.clear();
    host_->notes.clear();
    c.prepare();
    present("http://127.0.0.1:1/content", "Title");
    // The failure comes while the backdrop grows: the content still fades
    // in, shows half a second, then goes.
    advance(0.7);
    EXPECT_EQ(modalEvents_, (std::vector<std::string>{"canvas will-present", "canvas dismiss-requested defer",
                                                      "canvas presented"}))
        << c.label;
    advance(0.5 + 0.7);
    EXPECT_EQ(modalEvents_.back(), "canvas dismissed") << c.label;
    EXPECT_EQ(host_->notes, (std::vector<std::string>{"will-present canvas", "did-dismiss canvas"})) << c.label;
    EXPECT_TRUE(takeAlerts().empty()) << c.label;
    EXPECT_TRUE(opened_.urls.empty()) << c.label;
    PennantAdServer::setStaticMediaHost(server_.url(""));
  }
}

// The ad controller's two display paths: each click opens a new modal
// controller of its kind, which replaces the previous one once that has
// finished its presentation.
TEST_F(CanvasTest, EachDisplayRequestOfTheAdControllerOpensANewPresentation) {
  auto controller = PennantController::create();
  controller->setView(adView_);
  controller->setDelegate(host_);
  const auto content = platform::Url::URLWithString("http://127.0.0.1:1/content");
  ASSERT_TRUE(controller->displayCanvasWithAdUrl(nullptr, content));
  std::weak_ptr<PennantCanvasController> first = controller->canvasController();
  ASSERT_FALSE(first.expired());
  advance(0.7);
  EXPECT_EQ(first.lock()->canvasWebView()->canvasTitle(), "");
  EXPECT_EQ(first.lock()->canvasWebView()->stringByEvaluatingJavaScriptFromString("calls[0][0]"),
            "http://127.0.0.1:1/content#sdk");
  first.lock()->dismissModal();
  advance(0.7);

  ASSERT_TRUE(controller->displayCanvasWithAdUrl(nullptr, content));
  EXPECT_TRUE(first.expired());
  ASSERT_TRUE(controller->displayEmbeddedBrowserWithAdUrl(nullptr, url("/static/iphone/canvas.html")));
  EXPECT_TRUE(controller->browserController());
  advance(0.7);
  EXPECT_EQ(host_->notes, (std::vector<std::string>{"will-present canvas", "did-dismiss canvas", "will-present canvas",
                                                    "will-present browser"}));
  // Tearing the ad controller down does not cut the presentations short.
  controller.reset();
  settle();
  EXPECT_TRUE(std::dynamic_pointer_cast<PennantModalBackground>(window_->subviews().back()));
}

TEST(CanvasQuery, PiecesAreReadAsTheBridgeWritesThem) {
  EXPECT_EQ(PennantCanvasWebView::dictionaryWithQueryString(""), Query{});
  EXPECT_EQ(PennantCanvasWebView::dictionaryWithQueryString("a=1&b&=2&c=&a=3&d=x=y&e=1+2&f=%41%2b"),
            (Query{{"a", "3"}, {"c", ""}, {"d", "x=y"}, {"e", "1+2"}, {"f", "A+"}}));
  // Escapes that do not decode, or decode to bytes above ASCII, make the
  // piece unusable, not the whole query.
  EXPECT_EQ(PennantCanvasWebView::dictionaryWithQueryString("u=%C3%A9&v=%&w=ok&%ZZ=1&&"), (Query{{"w", "ok"}}));
  EXPECT_EQ(PennantCanvasWebView::dictionaryWithQueryString("k%3D=v%26"), (Query{{"k=", "v&"}}));
}

}  // namespace
}  // namespace pennant::webtest
