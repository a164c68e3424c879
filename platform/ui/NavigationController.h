#pragma once
// A stack of screens under one navigation bar. The bottom screen is the
// root; pushing slides a new screen in from the right, popping slides the
// top one out again, and the bar follows with the new screen's title and a
// back button naming the screen below.
//
// How to use:
//   auto nav = NavigationController::initWithRootViewController(english);
//   nav->navigationBar()->setBarStyle(1);
//   window->addSubview(nav->view());            // fills the application frame
//   nav->pushViewControllerAnimated(spanish, true);
// The stack is updated before push and pop return; only the pictures move
// during the 0.35 s slide. The stack observer hears the titles of the whole
// stack (root first) after every push or pop that changed it.
//
// Rotation: it answers the application's rotation questions by asking its
// top screen, and becomes the application's rotation handler when its view
// joins a window. A screen may push or pop from inside its
// willRotateToInterfaceOrientationDuration.
//
// Ownership: the controller owns the screens on its stack and its bar; each
// screen's navigationController() is a weak link back, cleared when the
// screen leaves the stack. Main thread only.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/RotationHandler.h"
#include "platform/ui/ViewController.h"

namespace platform::ui {

class NavigationBar;
class NavigationView;

class NavigationController : public ViewController, public RotationHandler {
  struct Passkey {};

 public:
  static constexpr double kSlideDuration = 0.35;

  using StackObserver = std::function<void(const std::vector<std::string>& titles)>;

  // nullptr for a null root.
  static std::shared_ptr<NavigationController> initWithRootViewController(std::shared_ptr<ViewController> root);

  const std::vector<std::shared_ptr<ViewController>>& viewControllers() const { return viewControllers_; }
  std::shared_ptr<ViewController> topViewController() const;

  // A null screen or one already on the stack is not pushed.
  void pushViewControllerAnimated(std::shared_ptr<ViewController> controller, bool animated);
  // The popped screen; nullptr when only the root is left.
  std::shared_ptr<ViewController> popViewControllerAnimated(bool animated);
  // The popped screens, bottom first; empty when nothing was popped (the
  // root is on top, or `controller` is not on the stack).
  std::vector<std::shared_ptr<ViewController>> popToRootViewControllerAnimated(bool animated);
  std::vector<std::shared_ptr<ViewController>> popToViewControllerAnimated(
      const std::shared_ptr<ViewController>& controller, bool animated);

  // Exists from creation, so its style can be set before the view loads.
  const std::shared_ptr<NavigationBar>& navigationBar() const { return navigationBar_; }

  void setStackObserver(StackObserver observer) { stackObserver_ = std::move(observer); }

  // The navigation view, the application frame's size and place.
  void loadView() override;

  // Both ask the top screen.
  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) override;
  void willRotateToInterfaceOrientationDuration(InterfaceOrientation orientation, double duration) override;

  // Passed on to every screen on the stack (hidden ones then release their
  // views), then handled as any controller does.
  void didReceiveMemoryWarning() override;

  // Passed on to the top screen.
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidDisappear(bool animated) override;

  // Public for std::make_shared only; use initWithRootViewController.
  explicit NavigationController(Passkey);

 private:
  // A change of the shown screen whose did-appear and did-disappear calls
  // are still to come.
  struct Pending {
    std::shared_ptr<ViewController> from;
    std::shared_ptr<ViewController> to;
    bool animated = false;
  };

  std::shared_ptr<NavigationView> navigationView();
  // Shows the new top screen after the stack changed from `from`.
  void showTopFrom(const std::shared_ptr<ViewController>& from, bool animated, bool forward);
  void finishPending();
  void stackChanged();
  std::vector<std::shared_ptr<ViewController>> popTo(std::size_t count, bool animated);

  std::vector<std::shared_ptr<ViewController>> viewControllers_;
  std::shared_ptr<NavigationBar> navigationBar_;
  StackObserver stackObserver_;
  std::optional<Pending> pending_;
  unsigned long long transitionGeneration_ = 0;
};

}  // namespace platform::ui
