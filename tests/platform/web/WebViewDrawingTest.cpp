// The web view among other views, headless: screenshots show the engine's
// picture of the page at the view's frame, a finger on the view works the
// page, and a view that goes away takes its engine widget with it, even
// when it goes from inside its delegate's callback.

#include <gtest/gtest.h>

#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

using platform::graphics::GraphicsContext;

class WebViewDrawing : public WebViewFixture {
 protected:
  void SetUp() override {
    server_.server.Get("/red", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Red", "<div style='width:50px;height:50px;background:#0000ff'></div>"
                                  "<a id='all' href='/next' style='display:block;width:320px;height:300px'></a>",
                           "#ff0000"),
                      "text/html");
    });
    server_.server.Get("/next", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Next", "next", "#00ff00"), "text/html");
    });
    server_.start();
    window_ = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
    window_->makeKeyAndVisible();
    web_ = makeWebView({{0, 64}, {320, 372}});
    window_->addSubview(web_);
  }

  static bool near(GraphicsContext::Pixel p, int r, int g, int b) {
    return std::abs(p.red - r) < 16 && std::abs(p.green - g) < 16 && std::abs(p.blue - b) < 16;
  }

  std::shared_ptr<platform::ui::Window> window_;
  std::shared_ptr<WebView> web_;
};

TEST_F(WebViewDrawing, ScreenshotsShowThePageAtTheViewsFrame) {
  load(*web_, server_.url("/red"));
  for (double scale : {1.0, 2.0}) {
    auto shot = platform::ui::Renderer(window_, scale).render();
    ASSERT_NE(shot, nullptr);
    auto at = [&](double x, double y) { return *shot->pixelAt(static_cast<int>(x * scale), static_cast<int>(y * scale)); };
    EXPECT_TRUE(near(at(160, 420), 255, 0, 0)) << "scale " << scale;  // the page's background
    EXPECT_TRUE(near(at(25, 64 + 25), 0, 0, 255)) << "scale " << scale;  // its box at the top left
    EXPECT_FALSE(near(at(160, 40), 255, 0, 0)) << "scale " << scale;  // nothing of it above the view
  }
  // Moved, the picture follows.
  web_->setFrame({{0, 200}, {320, 200}});
  auto shot = platform::ui::Renderer(window_, 1).render();
  EXPECT_TRUE(near(*shot->pixelAt(25, 225), 0, 0, 255));
  EXPECT_FALSE(near(*shot->pixelAt(160, 150), 255, 0, 0));
}

TEST_F(WebViewDrawing, AFingerOnTheViewWorksThePage) {
  load(*web_, server_.url("/red"));
  delegate_->events.clear();
  ASSERT_TRUE(window_->sendTouch(platform::ui::TouchPhase::Began, {160, 250}));
  window_->sendTouch(platform::ui::TouchPhase::Ended, {160, 250});
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(delegate_->events, (std::vector<std::string>{"ask " + server_.url("/next") + " 0", "start", "finish"}));
}

TEST_F(WebViewDrawing, TheEngineWidgetGoesWithTheViewEvenFromInsideACallback) {
  bool finalized = false;
  g_object_weak_ref(G_OBJECT(web_->engine()->widget()),
                    [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; }, &finalized);
  // The delegate drops the last reference while the view tells it about
  // the finished load.
  delegate_->onFinish = [this](WebView&) {
    web_->removeFromSuperview();
    web_.reset();
  };
  delegate_->events.clear();
  web_->loadRequest(WebRequest(server_.url("/red")));
  ASSERT_TRUE(spinUntil([&] { return delegate_->ended(); }));
  EXPECT_EQ(web_, nullptr);
  EXPECT_TRUE(spinUntil([&] { return finalized; }, 5));
  EXPECT_TRUE(WebViewRegistry::all().empty());
}

}  // namespace
}  // namespace webtest
