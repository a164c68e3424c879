#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/ViewController.h"

using controlstest::UiFixture;
using platform::graphics::Rect;
using platform::ui::Application;
using platform::ui::BarButtonItem;
using platform::ui::InterfaceOrientation;
using platform::ui::NavigationController;
using platform::ui::View;
using platform::ui::ViewController;

namespace {

using Titles = std::vector<std::string>;

// A screen that builds a root view of the screen's bounds with one child
// at y = 15, records its appearance calls and can act when it is turned.
class Screen : public ViewController {
 public:
  explicit Screen(std::string title, bool landscape = false) : landscape_(landscape) { setTitle(std::move(title)); }

  void loadView() override {
    setView(View::create({{0, 0}, {320, 480}}));
    child = View::create({{0, 15}, {320, 320}});
    view()->addSubview(child);
  }
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation o) override {
    asked.push_back(static_cast<int>(o));
    return landscape_ ? o != InterfaceOrientation::PortraitUpsideDown : o == InterfaceOrientation::Portrait;
  }
  void willRotateToInterfaceOrientationDuration(InterfaceOrientation o, double d) override {
    if (onWillRotate) onWillRotate(o, d);
  }
  void viewWillAppear(bool) override { calls.push_back("willAppear"); }
  void viewDidAppear(bool) override { calls.push_back("didAppear"); }
  void viewWillDisappear(bool) override { calls.push_back("willDisappear"); }
  void viewDidDisappear(bool) override { calls.push_back("didDisappear"); }

  std::shared_ptr<View> child;
  std::vector<int> asked;
  std::vector<std::string> calls;
  std::function<void(InterfaceOrientation, double)> onWillRotate;

 private:
  bool landscape_;
};

Titles titlesOf(const NavigationController& nav) {
  Titles titles;
  for (const auto& c : nav.viewControllers()) titles.push_back(c->title());
  return titles;
}

class NavigationControllerTest : public UiFixture {
 protected:
  void SetUp() override {
    root_ = std::make_shared<Screen>("Vorla Button", true);
    nav_ = NavigationController::initWithRootViewController(root_);
    ASSERT_NE(nav_, nullptr);
    nav_->setStackObserver([this](const Titles& titles) { observed_.push_back(titles); });
  }
  void TearDown() override {
    // The application's orientation is process-wide: leave it in portrait.
    Application::sharedApplication().setRotationHandler({});
    if (Application::sharedApplication().statusBarOrientation() != InterfaceOrientation::Portrait) {
      auto back = std::make_shared<Screen>("reset", true);
      auto resetNav = NavigationController::initWithRootViewController(back);
      Application::sharedApplication().setRotationHandler(resetNav);
      Application::sharedApplication().setDeviceOrientation(1);
      Application::sharedApplication().setRotationHandler({});
    }
  }

  void show() { window_->addSubview(nav_->view()); }

  Rect inWindow(const std::shared_ptr<View>& view) { return view->convertRectToView(view->bounds(), nullptr); }

  std::shared_ptr<Screen> root_;
  std::shared_ptr<NavigationController> nav_;
  std::vector<Titles> observed_;
};

}  // namespace

TEST_F(NavigationControllerTest, PushAndPopKeepTheStackAndTellTheObserver) {
  auto spanish = std::make_shared<Screen>("Botón Trimo");
  auto info = std::make_shared<Screen>("Info");
  EXPECT_EQ(NavigationController::initWithRootViewController(nullptr), nullptr);

  nav_->pushViewControllerAnimated(spanish, true);
  nav_->pushViewControllerAnimated(info, false);
  EXPECT_EQ(titlesOf(*nav_), (Titles{"Vorla Button", "Botón Trimo", "Info"}));
  EXPECT_EQ(nav_->topViewController(), info);
  EXPECT_EQ(info->navigationController(), nav_);

  // A screen already on the stack, or none, is not pushed again.
  nav_->pushViewControllerAnimated(spanish, false);
  nav_->pushViewControllerAnimated(nullptr, false);
  EXPECT_EQ(nav_->viewControllers().size(), 3u);

  EXPECT_EQ(nav_->popViewControllerAnimated(true), info);
  EXPECT_EQ(info->navigationController(), nullptr);
  nav_->pushViewControllerAnimated(info, false);
  const auto popped = nav_->popToRootViewControllerAnimated(true);
  ASSERT_EQ(popped.size(), 2u);
  EXPECT_EQ(popped[0], spanish);
  EXPECT_EQ(popped[1], info);
  EXPECT_EQ(titlesOf(*nav_), (Titles{"Vorla Button"}));

  // Nothing left to pop: no change, no observer call.
  EXPECT_EQ(nav_->popViewControllerAnimated(true), nullptr);
  EXPECT_TRUE(nav_->popToRootViewControllerAnimated(true).empty());
  EXPECT_TRUE(nav_->popToViewControllerAnimated(spanish, true).empty());

  const std::vector<Titles> expected{{"Vorla Button", "Botón Trimo"},
                                     {"Vorla Button", "Botón Trimo", "Info"},
                                     {"Vorla Button", "Botón Trimo"},
                                     {"Vorla Button", "Botón Trimo", "Info"},
                                     {"Vorla Button"}};
  EXPECT_EQ(observed_, expected);
}

TEST_F(NavigationControllerTest, PopToViewControllerDropsOnlyTheScreensAboveIt) {
  auto a = std::make_shared<Screen>("A");
  auto b = std::make_shared<Screen>("B");
  auto c = std::make_shared<Screen>("C");
  for (auto& s : {a, b, c}) nav_->pushViewControllerAnimated(s, false);
  const auto popped = nav_->popToViewControllerAnimated(a, false);
  ASSERT_EQ(popped.size(), 2u);
  EXPECT_EQ(popped[0], b);
  EXPECT_EQ(titlesOf(*nav_), (Titles{"Vorla Button", "A"}));
  EXPECT_EQ(observed_.back(), (Titles{"Vorla Button", "A"}));
}

TEST_F(NavigationControllerTest, TheBarFollowsTheStack) {
  auto bar = nav_->navigationBar();
  EXPECT_EQ(bar->topItem()->title(), "Vorla Button");
  EXPECT_EQ(bar->backButtonTitle(), std::nullopt);

  auto info = std::make_shared<Screen>("Info");
  nav_->pushViewControllerAnimated(info, false);
  EXPECT_EQ(bar->topItem()->title(), "Info");
  EXPECT_EQ(bar->backButtonTitle(), "Vorla Button");

  // A screen below without a title is named "Back".
  auto untitled = std::make_shared<Screen>("");
  nav_->pushViewControllerAnimated(untitled, false);
  nav_->pushViewControllerAnimated(std::make_shared<Screen>("Top"), false);
  EXPECT_EQ(bar->backButtonTitle(), "Back");
  nav_->popToViewControllerAnimated(info, false);

  // The two-button screen hides it; the Spanish screen replaces it.
  auto both = std::make_shared<Screen>("Both");
  both->navigationItem()->setHidesBackButton(true);
  nav_->pushViewControllerAnimated(both, false);
  EXPECT_EQ(bar->backButtonTitle(), std::nullopt);
  nav_->popViewControllerAnimated(false);

  auto spanish = std::make_shared<Screen>("Botón Trimo");
  spanish->navigationItem()->setLeftBarButtonItem(
      BarButtonItem::initWithTitleStyleTargetAction("Vorla Button", BarButtonItem::kStylePlain, nullptr));
  nav_->pushViewControllerAnimated(spanish, false);
  EXPECT_EQ(bar->backButtonTitle(), std::nullopt);
  EXPECT_TRUE(bar->leftButtonFrame().has_value());

  // A title set later shows on the bar.
  spanish->setTitle("Renamed");
  EXPECT_EQ(bar->topItem()->title(), "Renamed");
}

TEST_F(NavigationControllerTest, ScreensSitBelowTheBarInTheApplicationFrame) {
  show();
  EXPECT_EQ(nav_->view()->frame(), (Rect{{0, 20}, {320, 460}}));
  EXPECT_EQ(inWindow(nav_->navigationBar()), (Rect{{0, 20}, {320, 44}}));
  EXPECT_EQ(inWindow(root_->view()), (Rect{{0, 64}, {320, 416}}));
  // A child at y = 15 of the screen shows 15 points below the bar.
  EXPECT_EQ(inWindow(root_->child).origin.y, 79);
}

TEST_F(NavigationControllerTest, AnimatedPushSlidesInAndSettlesAfterTheSlide) {
  show();
  auto info = std::make_shared<Screen>("Info");
  root_->calls.clear();
  nav_->pushViewControllerAnimated(info, true);
  EXPECT_EQ(nav_->topViewController(), info);
  EXPECT_EQ(root_->calls, (std::vector<std::string>{"willDisappear"}));
  EXPECT_EQ(info->calls, (std::vector<std::string>{"willAppear"}));

  const double start = loop_.now();
  const Rect halfway = info->view()->presentationFrame(start + NavigationController::kSlideDuration / 2);
  EXPECT_GT(halfway.origin.x, 0);
  EXPECT_LT(halfway.origin.x, 320);
  EXPECT_EQ(info->view()->presentationFrame(start).origin.x, 320);
  EXPECT_NE(root_->view()->superview(), nullptr);

  loop_.advanceBy(NavigationController::kSlideDuration + 0.01);
  EXPECT_EQ(root_->view()->superview(), nullptr);
  EXPECT_EQ(info->view()->presentationFrame(loop_.now()), (Rect{{0, 0}, {320, 416}}));
  EXPECT_EQ(root_->calls, (std::vector<std::string>{"willDisappear", "didDisappear"}));
  EXPECT_EQ(info->calls, (std::vector<std::string>{"willAppear", "didAppear"}));

  // A memory warning releases the hidden screen's view only; it is built
  // again when the screen comes back.
  nav_->didReceiveMemoryWarning();
  EXPECT_FALSE(root_->isViewLoaded());
  EXPECT_TRUE(info->isViewLoaded());
  EXPECT_TRUE(nav_->isViewLoaded());

  // Popping during a slide: the stack is right at once and the view that
  // ends on top stays in the tree after the stale slide ends.
  nav_->popViewControllerAnimated(true);
  nav_->pushViewControllerAnimated(info, true);
  nav_->popViewControllerAnimated(true);
  loop_.advanceBy(1);
  EXPECT_EQ(nav_->topViewController(), root_);
  EXPECT_NE(root_->view()->superview(), nullptr);
  EXPECT_EQ(info->view()->superview(), nullptr);
}

TEST_F(NavigationControllerTest, TappingTheBarsButtonsPopsAndRunsActions) {
  show();
  int taps = 0;
  root_->navigationItem()->setRightBarButtonItem(BarButtonItem::initWithTitleStyleTargetAction(
      "Botón Trimo", BarButtonItem::kStylePlain, [&taps](BarButtonItem&) { ++taps; }));
  const Rect right = *nav_->navigationBar()->rightButtonFrame();
  tap({right.midX(), 20 + right.midY()});
  EXPECT_EQ(taps, 1);

  nav_->pushViewControllerAnimated(std::make_shared<Screen>("Info"), false);
  const Rect back = *nav_->navigationBar()->backButtonFrame();
  // The title in the middle of the bar is not a button.
  tap({160, 42});
  EXPECT_EQ(nav_->viewControllers().size(), 2u);
  tap({back.midX(), 20 + back.midY()});
  EXPECT_EQ(titlesOf(*nav_), (Titles{"Vorla Button"}));
  EXPECT_EQ(observed_.back(), (Titles{"Vorla Button"}));
}

TEST_F(NavigationControllerTest, RotationAsksTheTopScreenWhichMayPushAndPop) {
  show();  // joining the window makes it the rotation handler
  auto& app = Application::sharedApplication();
  auto portraitOnly = std::make_shared<Screen>("Info");
  nav_->pushViewControllerAnimated(portraitOnly, false);
  EXPECT_FALSE(app.setDeviceOrientation(3));
  EXPECT_EQ(portraitOnly->asked, (std::vector<int>{3}));
  EXPECT_TRUE(root_->asked.empty());
  nav_->popViewControllerAnimated(false);

  std::shared_ptr<Screen> both;
  root_->onWillRotate = [&](InterfaceOrientation o, double duration) {
    EXPECT_EQ(duration, Application::kRotationDuration);
    if (o != InterfaceOrientation::LandscapeRight && o != InterfaceOrientation::LandscapeLeft) return;
    both = std::make_shared<Screen>("Both", true);
    std::weak_ptr<NavigationController> weakNav = nav_;
    both->onWillRotate = [weakNav](InterfaceOrientation turn, double) {
      if (turn == InterfaceOrientation::Portrait) weakNav.lock()->popToRootViewControllerAnimated(true);
    };
    nav_->pushViewControllerAnimated(both, true);
  };
  EXPECT_TRUE(app.setDeviceOrientation(3));
  EXPECT_EQ(titlesOf(*nav_), (Titles{"Vorla Button", "Both"}));
  // The navigation view followed the window into landscape.
  EXPECT_EQ(nav_->view()->frame(), (Rect{{0, 20}, {480, 300}}));
  loop_.advanceBy(1);
  window_->layoutIfNeeded();
  nav_->view()->layoutIfNeeded();
  EXPECT_EQ(both->view()->frame(), (Rect{{0, 0}, {480, 256}}));

  // Landscape to landscape: both screens agree, nothing is pushed.
  EXPECT_TRUE(app.setDeviceOrientation(4));
  EXPECT_EQ(nav_->viewControllers().size(), 2u);
  // Upside down is refused.
  EXPECT_FALSE(app.setDeviceOrientation(2));
  EXPECT_TRUE(app.setDeviceOrientation(1));
  EXPECT_EQ(titlesOf(*nav_), (Titles{"Vorla Button"}));
}
