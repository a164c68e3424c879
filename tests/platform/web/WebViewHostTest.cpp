// The web view in the desktop window: where its engine widget goes and when
// it shows live or steps aside for the view's snapshot, and the widget
// placed for real in a GTK window.

#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include "platform/ui/Renderer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebRuntime.h"
#include "platform/web/WebViewHost.h"
#include "tests/platform/web/WebTestSupport.h"

namespace webtest {
namespace {

using platform::graphics::Rect;
using platform::web::WebViewHost;

class WebViewHostPlacement : public WebViewFixture {
 protected:
  void SetUp() override {
    window_ = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
    window_->makeKeyAndVisible();
    content_ = platform::ui::View::create({{0, 20}, {320, 460}});
    window_->addSubview(content_);
    web_ = makeWebView({{0, 44}, {320, 372}});
    content_->addSubview(web_);
  }
  WebViewHost::Placement placement() { return WebViewHost::placementFor(*web_, loop_.now()); }

  std::shared_ptr<platform::ui::Window> window_;
  std::shared_ptr<platform::ui::View> content_;
  std::shared_ptr<WebView> web_;
};

TEST_F(WebViewHostPlacement, AVisibleUncoveredViewShowsLiveAtItsScreenFrame) {
  auto p = placement();
  EXPECT_TRUE(p.visible);
  EXPECT_TRUE(p.live);
  EXPECT_EQ(p.screenRect, (Rect{{0, 64}, {320, 372}}));

  // A view beside it does not matter; one over part of it does.
  auto bar = platform::ui::View::create({{0, 0}, {320, 44}});
  content_->addSubview(bar);
  EXPECT_TRUE(placement().live);
  auto alert = platform::ui::View::create({{40, 150}, {240, 120}});
  window_->addSubview(alert);
  EXPECT_TRUE(placement().visible);
  EXPECT_FALSE(placement().live);
  alert->setHidden(true);
  EXPECT_TRUE(placement().live);
  // So does an overlay of the window (an alert over its dimmed screen).
  auto overlay = platform::ui::View::create({{0, 0}, {320, 480}});
  window_->addOverlayView(overlay);
  EXPECT_FALSE(placement().live);
  window_->removeOverlayView(overlay);
  EXPECT_TRUE(placement().live);
  // And a view of its own, drawn over the page.
  auto spinner = platform::ui::View::create({{150, 176}, {20, 20}});
  web_->addSubview(spinner);
  EXPECT_FALSE(placement().live);
  spinner->removeFromSuperview();
  EXPECT_TRUE(placement().live);
}

TEST_F(WebViewHostPlacement, HiddenFadingOrDetachedViewsLeaveTheWidget) {
  content_->setHidden(true);
  EXPECT_FALSE(placement().visible);
  content_->setHidden(false);

  // Fading in: drawn by us (with its snapshot) until fully opaque.
  web_->setAlpha(0);
  platform::ui::View::beginAnimationsContext("fadeIn", nullptr);
  web_->setAlpha(1);
  platform::ui::View::commitAnimations();
  loop_.advanceBy(0.1);
  EXPECT_TRUE(placement().visible);
  EXPECT_FALSE(placement().live);
  loop_.advanceBy(0.2);
  EXPECT_TRUE(placement().live);

  web_->removeFromSuperview();
  EXPECT_FALSE(placement().visible);
  auto other = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
  other->addSubview(web_);
  EXPECT_FALSE(placement().visible);  // not the key window
}

TEST_F(WebViewHostPlacement, InLandscapeTheWidgetTakesTheTurnedRectangle) {
  window_->setInterfaceOrientation(platform::ui::InterfaceOrientation::LandscapeRight);
  web_->setFrame({{0, 0}, {480, 200}});
  content_->setFrame({{0, 0}, {480, 300}});
  const auto p = placement();
  EXPECT_TRUE(p.live);
  EXPECT_EQ(p.screenRect.size.width, 200);
  EXPECT_EQ(p.screenRect.size.height, 480);
}

// A desktop window as the window front end builds it: a fixed layer with
// our drawing area at the bottom, attached to the host.
class WebViewHostWindow : public WebViewFixture {
 protected:
  void attachWindow(int scale) {
    ASSERT_TRUE(platform::web::WebRuntime::shared().prepare(loop_)) << platform::web::WebRuntime::shared().failure();
    toplevel_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    layer_ = gtk_fixed_new();
    GtkWidget* drawing = gtk_drawing_area_new();
    gtk_widget_set_size_request(drawing, 320 * scale, 480 * scale);
    gtk_fixed_put(GTK_FIXED(layer_), drawing, 0, 0);
    gtk_container_add(GTK_CONTAINER(toplevel_), layer_);
    gtk_widget_show_all(toplevel_);
    WebViewHost::shared().attach(GTK_FIXED(layer_), scale);
  }
  void TearDown() override {
    WebViewHost::shared().detach();
    if (toplevel_) gtk_widget_destroy(toplevel_);
  }

  GtkWidget* toplevel_ = nullptr;
  GtkWidget* layer_ = nullptr;
};

TEST_F(WebViewHostWindow, TheWidgetSitsAboveOurDrawingAtTheViewsFrame) {
  attachWindow(2);
  auto& host = WebViewHost::shared();
  GtkWidget* layer = layer_;
  auto& loop = loop_;
  {
    auto window = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
    window->makeKeyAndVisible();
    auto web = WebView::create({{10, 64}, {300, 372}});
    window->addSubview(web);
    GtkWidget* widget = web->engine()->widget();
    EXPECT_EQ(gtk_widget_get_parent(widget), layer);
    host.layoutWidgets(loop.now());
    EXPECT_TRUE(gtk_widget_get_visible(widget));
    int x = -1, y = -1, width = -1, height = -1;
    gtk_container_child_get(GTK_CONTAINER(layer), widget, "x", &x, "y", &y, nullptr);
    gtk_widget_get_size_request(widget, &width, &height);
    EXPECT_EQ(x, 20);
    EXPECT_EQ(y, 128);
    EXPECT_EQ(width, 600);
    EXPECT_EQ(height, 744);
    // Widgets added later stack above earlier ones: the page takes the
    // pointer over its frame, our drawing everywhere else.
    GList* children = gtk_container_get_children(GTK_CONTAINER(layer));
    EXPECT_EQ(g_list_last(children)->data, widget);
    g_list_free(children);

    web->setHidden(true);
    host.layoutWidgets(loop.now());
    EXPECT_FALSE(gtk_widget_get_visible(widget));
    web->setHidden(false);
    web->setFrame({{0, 100}, {320, 100}});
    host.layoutWidgets(loop.now());
    EXPECT_TRUE(gtk_widget_get_visible(widget));
    gtk_container_child_get(GTK_CONTAINER(layer), widget, "y", &y, nullptr);
    EXPECT_EQ(y, 200);
  }
}

TEST_F(WebViewHostWindow, AViewCoveredByAnotherShowsItsSnapshotInstead) {
  server_.server.Get("/red", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(page("Red", "red", "#ff0000"), "text/html");
  });
  server_.start();
  attachWindow(1);
  auto window = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
  window->makeKeyAndVisible();
  auto web = makeWebView({{0, 64}, {320, 372}});
  window->addSubview(web);
  load(*web, server_.url("/red"));
  auto& host = WebViewHost::shared();
  host.layoutWidgets(loop_.now());
  GtkWidget* widget = web->engine()->widget();
  ASSERT_TRUE(gtk_widget_get_visible(widget));

  // An alert over the middle of the page: the widget steps aside, and our
  // drawing shows the page around the alert from the engine's picture.
  auto alert = platform::ui::View::create({{40, 200}, {240, 100}});
  alert->setBackgroundColor(platform::graphics::Color{0, 0, 1, 1});
  window->addSubview(alert);
  host.layoutWidgets(loop_.now());
  EXPECT_FALSE(gtk_widget_get_visible(widget));
  auto shot = platform::ui::Renderer(window, 1).render();
  const auto page = *shot->pixelAt(160, 100);
  EXPECT_TRUE(page.red > 200 && page.green < 50 && page.blue < 50) << int(page.red) << "," << int(page.green);
  const auto covering = *shot->pixelAt(160, 250);
  EXPECT_TRUE(covering.blue > 200 && covering.red < 50);

  alert->removeFromSuperview();
  host.layoutWidgets(loop_.now());
  EXPECT_TRUE(gtk_widget_get_visible(widget));
}

}  // namespace
}  // namespace webtest
