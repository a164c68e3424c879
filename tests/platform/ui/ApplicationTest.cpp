#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Url.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

using platform::Url;
using platform::graphics::Rect;
using platform::ui::Application;
using platform::ui::InterfaceOrientation;
using platform::ui::RotationHandler;
using platform::ui::Screen;
using platform::ui::View;
using platform::ui::Window;

namespace {

// Answers like the button screens: everything but upside down.
struct Handler : RotationHandler {
  std::vector<int> asked;
  std::vector<double> durations;
  std::vector<double> windowWidthsAtWill;
  std::shared_ptr<Window> window;
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) override {
    asked.push_back(static_cast<int>(o));
    return o != InterfaceOrientation::PortraitUpsideDown;
  }
  void willRotateToInterfaceOrientationDuration(InterfaceOrientation, double duration) override {
    durations.push_back(duration);
    windowWidthsAtWill.push_back(window->frame().size.width);
  }
};

class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() {
    window_ = Window::create(Screen::mainScreen().bounds());
    content_ = View::create(Screen::mainScreen().applicationFrame());
    window_->addSubview(content_);
    window_->makeKeyAndVisible();
    handler_->window = window_;
  }
  ~ApplicationTest() override {
    auto& app = Application::sharedApplication();
    app.setRotationHandler(handler_);
    app.setDeviceOrientation(1);
    app.setRotationHandler({});
    app.setOpenURLHandler(nullptr);
  }

  std::shared_ptr<Window> window_;
  std::shared_ptr<View> content_;
  std::shared_ptr<Handler> handler_ = std::make_shared<Handler>();
};

}  // namespace

TEST_F(ApplicationTest, TurnsOnlyWhenTheHandlerAllowsAndTellsItBeforehand) {
  auto& app = Application::sharedApplication();
  app.setRotationHandler(handler_);
  EXPECT_FALSE(app.setDeviceOrientation(2));
  EXPECT_EQ(app.deviceOrientation(), 2);
  EXPECT_EQ(app.statusBarOrientation(), InterfaceOrientation::Portrait);
  EXPECT_TRUE(handler_->durations.empty());

  EXPECT_TRUE(app.setDeviceOrientation(3));
  EXPECT_EQ(handler_->durations, (std::vector<double>{0.3}));
  EXPECT_EQ(handler_->windowWidthsAtWill, (std::vector<double>{320}));
  EXPECT_EQ(app.statusBarOrientation(), InterfaceOrientation::LandscapeRight);
  EXPECT_EQ(window_->interfaceOrientation(), InterfaceOrientation::LandscapeRight);
  EXPECT_EQ(content_->frame(), (Rect{{0, 20}, {480, 300}}));
  EXPECT_EQ(Screen::mainScreen().applicationFrame(), (Rect{{0, 20}, {480, 300}}));

  // The same orientation again changes nothing and asks nobody.
  const auto asked = handler_->asked.size();
  EXPECT_FALSE(app.setDeviceOrientation(3));
  EXPECT_EQ(handler_->asked.size(), asked);

  EXPECT_TRUE(app.setDeviceOrientation(1));
  EXPECT_EQ(content_->frame(), (Rect{{0, 20}, {320, 460}}));
  EXPECT_EQ(Screen::mainScreen().applicationFrame(), (Rect{{0, 20}, {320, 460}}));
}

TEST_F(ApplicationTest, WithoutAHandlerOrWithABadNumberNothingTurns) {
  auto& app = Application::sharedApplication();
  EXPECT_FALSE(app.setDeviceOrientation(4));
  EXPECT_EQ(app.statusBarOrientation(), InterfaceOrientation::Portrait);
  app.setRotationHandler(handler_);
  EXPECT_FALSE(app.setDeviceOrientation(0));
  EXPECT_FALSE(app.setDeviceOrientation(7));
  EXPECT_TRUE(handler_->asked.empty());
  // The handler link is weak: a handler that has gone allows nothing.
  auto gone = std::make_shared<Handler>();
  app.setRotationHandler(gone);
  gone.reset();
  EXPECT_FALSE(app.setDeviceOrientation(3));
  EXPECT_EQ(window_->frame().size.width, 320);
}

TEST_F(ApplicationTest, OpenURLGoesToTheInstalledHandler) {
  auto& app = Application::sharedApplication();
  auto url = Url::URLWithString("tel:5551234");
  ASSERT_NE(url, nullptr);
  EXPECT_FALSE(app.openURL(url)) << "no handler installed";
  std::vector<std::string> opened;
  app.setOpenURLHandler([&](const std::string& text) {
    opened.push_back(text);
    return true;
  });
  EXPECT_TRUE(app.openURL(url));
  EXPECT_FALSE(app.openURL(nullptr));
  EXPECT_EQ(opened, (std::vector<std::string>{"tel:5551234"}));
  EXPECT_EQ(app.keyWindow(), window_);
}
