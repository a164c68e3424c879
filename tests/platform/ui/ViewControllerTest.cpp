#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "platform/ui/Event.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/Touch.h"
#include "platform/ui/ViewController.h"

using controlstest::UiFixture;
using platform::graphics::Rect;
using platform::ui::Event;
using platform::ui::InterfaceOrientation;
using platform::ui::TouchSet;
using platform::ui::View;
using platform::ui::ViewController;

namespace {

class ButtonScreen : public ViewController {
 public:
  void loadView() override {
    ++loads;
    setView(View::create({{0, 0}, {320, 480}}));
    button = View::create({{0, 15}, {320, 320}});
    view()->addSubview(button);
  }
  void touchesBeganWithEvent(const TouchSet& touches, Event&) override {
    began.push_back((*touches.begin())->view());
  }
  void touchesEndedWithEvent(const TouchSet& touches, Event&) override {
    ended.push_back((*touches.begin())->view());
  }
  void viewDidUnload() override { ++unloads; }

  int loads = 0;
  int unloads = 0;
  std::shared_ptr<View> button;
  std::vector<std::shared_ptr<View>> began, ended;
};

using ViewControllerTest = UiFixture;

}  // namespace

TEST_F(ViewControllerTest, TheViewIsBuiltOnFirstUse) {
  auto plain = std::make_shared<ViewController>();
  EXPECT_FALSE(plain->isViewLoaded());
  EXPECT_EQ(plain->view()->frame(), (Rect{{0, 20}, {320, 460}}));
  EXPECT_TRUE(plain->isViewLoaded());
  EXPECT_EQ(plain->view()->nextResponder(), plain);

  auto screen = std::make_shared<ButtonScreen>();
  screen->view();
  screen->view();
  EXPECT_EQ(screen->loads, 1);
  EXPECT_EQ(screen->view()->frame(), (Rect{{0, 0}, {320, 480}}));
}

TEST_F(ViewControllerTest, TitleAndNavigationItemAgree) {
  auto screen = std::make_shared<ViewController>();
  screen->setTitle("Vorla Button");
  EXPECT_EQ(screen->navigationItem()->title(), "Vorla Button");
  screen->setTitle("Info");
  EXPECT_EQ(screen->navigationItem()->title(), "Info");
  EXPECT_EQ(screen->navigationController(), nullptr);
}

TEST_F(ViewControllerTest, DefaultRotationIsPortraitOnly) {
  ViewController screen;
  EXPECT_TRUE(screen.shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));
  EXPECT_FALSE(screen.shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeRight));
  EXPECT_FALSE(screen.shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
  EXPECT_FALSE(screen.shouldAutorotateToInterfaceOrientation(InterfaceOrientation::PortraitUpsideDown));
}

TEST_F(ViewControllerTest, TouchesOnUnhandlingSubviewsReachTheController) {
  auto screen = std::make_shared<ButtonScreen>();
  window_->addSubview(screen->view());
  tap({100, 100});
  ASSERT_EQ(screen->began.size(), 1u);
  EXPECT_EQ(screen->began[0], screen->button);
  ASSERT_EQ(screen->ended.size(), 1u);
  // The touch's view is where it began, even when lifted elsewhere.
  ASSERT_TRUE(window_->sendTouch(platform::ui::TouchPhase::Began, {100, 100}));
  ASSERT_TRUE(window_->sendTouch(platform::ui::TouchPhase::Ended, {100, 400}));
  EXPECT_EQ(screen->ended.back(), screen->button);
  // Past the controller the chain goes on to the view's superview.
  EXPECT_EQ(screen->nextResponder(), window_);
}

TEST_F(ViewControllerTest, MemoryWarningUnloadsOnlyAViewOffScreen) {
  auto shown = std::make_shared<ButtonScreen>();
  auto hidden = std::make_shared<ButtonScreen>();
  window_->addSubview(shown->view());
  hidden->view();
  shown->didReceiveMemoryWarning();
  hidden->didReceiveMemoryWarning();
  EXPECT_TRUE(shown->isViewLoaded());
  EXPECT_EQ(shown->unloads, 0);
  EXPECT_FALSE(hidden->isViewLoaded());
  EXPECT_EQ(hidden->unloads, 1);
  // Shown again, the view is built anew.
  hidden->view();
  EXPECT_EQ(hidden->loads, 2);
}
