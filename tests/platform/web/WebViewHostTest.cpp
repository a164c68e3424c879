// The web view in the desktop window: where its engine widget goes and when
// it shows live or steps aside for the view's snapshot, and the widget
// placed for real in a GTK window.

#include <gtest/gtest.h>

#include <gtk/gtk.h>

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

TEST(WebViewHostWindow, TheWidgetSitsAboveOurDrawingAtTheViewsFrame) {
  platform::RunLoop loop;
  loop.makeCurrent();
  ASSERT_TRUE(platform::web::WebRuntime::shared().prepare(loop)) << platform::web::WebRuntime::shared().failure();
  GtkWidget* toplevel = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWidget* layer = gtk_fixed_new();
  GtkWidget* drawing = gtk_drawing_area_new();
  gtk_widget_set_size_request(drawing, 640, 960);
  gtk_fixed_put(GTK_FIXED(layer), drawing, 0, 0);
  gtk_container_add(GTK_CONTAINER(toplevel), layer);
  gtk_widget_show_all(toplevel);
  auto& host = WebViewHost::shared();
  host.attach(GTK_FIXED(layer), 2);
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
  host.detach();
  gtk_widget_destroy(toplevel);
}

}  // namespace
}  // namespace webtest
