#include "platform/ui/ViewController.h"

#include "platform/ui/NavigationItem.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

namespace platform::ui {

ViewController::ViewController() = default;

ViewController::~ViewController() {
  // The view may outlive us in someone else's hands; it must not keep
  // forwarding touches to a controller that is gone (the weak link already
  // expires, this only makes it explicit).
  if (view_) view_->setViewDelegate({});
}

std::shared_ptr<View> ViewController::view() {
  if (!view_) {
    loadView();
    if (!view_) ViewController::loadView();
    viewDidLoad();
  }
  return view_;
}

void ViewController::setView(std::shared_ptr<View> view) {
  if (view_ == view) return;
  if (view_) view_->setViewDelegate({});
  view_ = std::move(view);
  if (view_) view_->setViewDelegate(weak_from_this());
}

void ViewController::loadView() { setView(View::create(Screen::mainScreen().applicationFrame())); }

void ViewController::setTitle(std::string title) {
  title_ = std::move(title);
  if (navigationItem_) navigationItem_->setTitle(title_);
}

std::shared_ptr<NavigationItem> ViewController::navigationItem() {
  if (!navigationItem_) navigationItem_ = NavigationItem::initWithTitle(title_);
  return navigationItem_;
}

void ViewController::setNavigationController(std::weak_ptr<NavigationController> controller) {
  navigationController_ = std::move(controller);
}

bool ViewController::shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) {
  return orientation == InterfaceOrientation::Portrait;
}

void ViewController::willRotateToInterfaceOrientationDuration(InterfaceOrientation, double) {}

void ViewController::viewWillAppear(bool) {}
void ViewController::viewDidAppear(bool) {}
void ViewController::viewWillDisappear(bool) {}
void ViewController::viewDidDisappear(bool) {}

void ViewController::didReceiveMemoryWarning() {
  if (!view_ || view_->superview()) return;
  setView(nullptr);
  viewDidUnload();
}

std::shared_ptr<Responder> ViewController::nextResponder() const {
  return view_ ? view_->superview() : nullptr;
}

}  // namespace platform::ui
