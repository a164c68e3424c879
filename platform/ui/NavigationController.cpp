#include "platform/ui/NavigationController.h"

#include <algorithm>

#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/NavigationView.h"
#include "platform/ui/Screen.h"

namespace platform::ui {

using graphics::Rect;

NavigationController::NavigationController(Passkey) : navigationBar_(std::make_shared<NavigationBar>()) {
  navigationBar_->initWithFrame({{0, 0}, {Screen::mainScreen().applicationFrame().size.width, NavigationBar::kHeight}});
}

std::shared_ptr<NavigationController> NavigationController::initWithRootViewController(
    std::shared_ptr<ViewController> root) {
  if (!root) return nullptr;
  auto nav = std::make_shared<NavigationController>(Passkey{});
  std::weak_ptr<NavigationController> weak = nav;
  nav->navigationBar_->setBackButtonHandler([weak](NavigationBar&) {
    if (auto self = weak.lock()) self->popViewControllerAnimated(true);
  });
  root->setNavigationController(weak);
  nav->viewControllers_.push_back(std::move(root));
  nav->navigationBar_->setItemsAnimated({nav->viewControllers_.front()->navigationItem()}, false);
  return nav;
}

std::shared_ptr<ViewController> NavigationController::topViewController() const {
  return viewControllers_.empty() ? nullptr : viewControllers_.back();
}

std::shared_ptr<NavigationView> NavigationController::navigationView() {
  return isViewLoaded() ? std::static_pointer_cast<NavigationView>(view()) : nullptr;
}

void NavigationController::didReceiveMemoryWarning() {
  const auto stack = viewControllers_;
  for (const auto& controller : stack) controller->didReceiveMemoryWarning();
  ViewController::didReceiveMemoryWarning();
}

void NavigationController::loadView() {
  std::weak_ptr<NavigationController> weak =
      std::static_pointer_cast<NavigationController>(shared_from_this());
  auto view = NavigationView::create(Screen::mainScreen().applicationFrame(), navigationBar_, weak);
  setView(view);
  if (auto top = topViewController()) {
    auto topView = top->view();
    view->contentView()->addSubview(topView);
    view->setTopView(topView);
    topView->setFrame(view->contentBounds());
  }
}

void NavigationController::pushViewControllerAnimated(std::shared_ptr<ViewController> controller, bool animated) {
  if (!controller || std::find(viewControllers_.begin(), viewControllers_.end(), controller) != viewControllers_.end()) {
    return;
  }
  auto self = std::static_pointer_cast<NavigationController>(shared_from_this());
  auto from = topViewController();
  controller->setNavigationController(self);
  viewControllers_.push_back(controller);
  showTopFrom(from, animated, true);
  stackChanged();
}

std::shared_ptr<ViewController> NavigationController::popViewControllerAnimated(bool animated) {
  if (viewControllers_.size() < 2) return nullptr;
  auto popped = popTo(viewControllers_.size() - 1, animated);
  return popped.empty() ? nullptr : popped.front();
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToRootViewControllerAnimated(bool animated) {
  return popTo(1, animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popToViewControllerAnimated(
    const std::shared_ptr<ViewController>& controller, bool animated) {
  const auto it = std::find(viewControllers_.begin(), viewControllers_.end(), controller);
  if (!controller || it == viewControllers_.end()) return {};
  return popTo(static_cast<std::size_t>(it - viewControllers_.begin()) + 1, animated);
}

std::vector<std::shared_ptr<ViewController>> NavigationController::popTo(std::size_t count, bool animated) {
  if (count == 0 || count >= viewControllers_.size()) return {};
  // Keep ourselves alive: the screens' callbacks may drop the last outside
  // reference to this controller.
  auto self = shared_from_this();
  auto from = topViewController();
  std::vector<std::shared_ptr<ViewController>> popped(viewControllers_.begin() + static_cast<std::ptrdiff_t>(count),
                                                      viewControllers_.end());
  viewControllers_.resize(count);
  for (auto& controller : popped) controller->setNavigationController({});
  showTopFrom(from, animated, false);
  stackChanged();
  return popped;
}

void NavigationController::stackChanged() {
  std::vector<std::shared_ptr<NavigationItem>> items;
  std::vector<std::string> titles;
  for (const auto& controller : viewControllers_) {
    items.push_back(controller->navigationItem());
    titles.push_back(controller->title());
  }
  navigationBar_->setItemsAnimated(std::move(items), false);
  if (stackObserver_) {
    auto observer = stackObserver_;
    observer(titles);
  }
}

void NavigationController::showTopFrom(const std::shared_ptr<ViewController>& from, bool animated, bool forward) {
  finishPending();
  auto to = topViewController();
  auto navView = navigationView();
  if (!navView || !to || from == to) return;
  const auto& content = navView->contentView();
  const Rect area = navView->contentBounds();
  auto toView = to->view();
  auto fromView = from && from->isViewLoaded() ? from->view() : nullptr;

  // Whatever an earlier slide left behind goes now.
  auto leftovers = content->subviews();
  for (auto& view : leftovers) {
    if (view != toView && view != fromView) view->removeFromSuperview();
  }
  if (from) from->viewWillDisappear(animated);
  to->viewWillAppear(animated);
  navView->setTopView(toView);
  if (forward || !fromView) {
    content->addSubview(toView);
  } else {
    content->insertSubviewAtIndex(toView, 0);
  }

  pending_ = Pending{from, to, animated};
  const unsigned long long generation = ++transitionGeneration_;
  if (!animated || !fromView) {
    toView->setFrame(area);
    if (fromView && fromView != toView) fromView->removeFromSuperview();
    finishPending();
    return;
  }
  const double w = area.size.width;
  toView->setFrame({{forward ? w : -w, area.minY()}, area.size});
  std::weak_ptr<NavigationController> weak = std::static_pointer_cast<NavigationController>(shared_from_this());
  std::weak_ptr<View> weakFrom = fromView;
  View::beginAnimationsContext("NavigationSlide", nullptr);
  View::setAnimationDuration(kSlideDuration);
  View::setAnimationDidStopSelector([weak, weakFrom, generation](const std::string&, bool, void*) {
    auto self = weak.lock();
    if (!self || generation != self->transitionGeneration_) return;
    // A screen pushed again meanwhile keeps its view.
    auto oldView = weakFrom.lock();
    auto top = self->topViewController();
    if (oldView && !(top && top->isViewLoaded() && top->view() == oldView)) oldView->removeFromSuperview();
    self->finishPending();
  });
  toView->setFrame(area);
  fromView->setFrame({{forward ? -w : w, area.minY()}, area.size});
  View::commitAnimations();
}

void NavigationController::finishPending() {
  if (!pending_) return;
  const Pending done = *pending_;
  pending_.reset();
  if (done.from) done.from->viewDidDisappear(done.animated);
  if (done.to) done.to->viewDidAppear(done.animated);
}

bool NavigationController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
  auto top = topViewController();
  return top ? top->shouldAutorotateToInterfaceOrientation(orientation)
             : ViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

void NavigationController::willRotateToInterfaceOrientationDuration(InterfaceOrientation orientation,
                                                                     double duration) {
  // Hold the screen asked: it may push or pop and so leave the top.
  auto top = topViewController();
  if (top) top->willRotateToInterfaceOrientationDuration(orientation, duration);
}

void NavigationController::viewWillAppear(bool animated) {
  if (auto top = topViewController()) top->viewWillAppear(animated);
}

void NavigationController::viewDidAppear(bool animated) {
  if (auto top = topViewController()) top->viewDidAppear(animated);
}

void NavigationController::viewWillDisappear(bool animated) {
  if (auto top = topViewController()) top->viewWillDisappear(animated);
}

void NavigationController::viewDidDisappear(bool animated) {
  if (auto top = topViewController()) top->viewDidDisappear(animated);
}

}  // namespace platform::ui
