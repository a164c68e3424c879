#include "Classes/Vorla_ButtonAppDelegate.h"

#include "Classes/BothViewController.h"
#include "Classes/TrimoViewController.h"
#include "Classes/VorlaViewController.h"
#include "platform/foundation/Log.h"
#include "platform/shell/ApplicationDelegateRegistry.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/Screen.h"

namespace vorla {

namespace {

// Lets the application main call find this class by its name.
const bool registered = platform::shell::ApplicationDelegateRegistry::registerClass(
    Vorla_ButtonAppDelegate::kClassName, [] { return std::make_shared<Vorla_ButtonAppDelegate>(); });

}  // namespace

void Vorla_ButtonAppDelegate::applicationDidFinishLaunching(platform::ui::Application&) {
  (void)registered;
  window_ = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());

  auto english = std::make_shared<VorlaViewController>();
  nav_ = platform::ui::NavigationController::initWithRootViewController(english);
  nav_->navigationBar()->setBarStyle(kBlackBarStyle);

  window_->addSubview(nav_->view());
  window_->makeKeyAndVisible();

  // Last, the banner; it is placed when its first ad has arrived.
  pennantAd_ = pennant::PennantView::requestAdWithDelegate(shared_from_this());
}

Vorla_ButtonAppDelegate::~Vorla_ButtonAppDelegate() {
  // The timer goes first, so no tick can reach a released ad view.
  if (autoslider_) autoslider_->invalidate();
  autoslider_.reset();
  pennantAd_.reset();
}

void Vorla_ButtonAppDelegate::didReceiveAd(const std::shared_ptr<pennant::PennantView>& /*adView*/) {
  platform::log("Pennant: Did receive ad");
  if (!pennantAd_ || !nav_) return;
  // At the bottom of the navigation view, above whatever screen it shows;
  // adding it again only brings it to the front.
  pennantAd_->setFrame({{0, 412}, {320, 48}});
  nav_->view()->addSubview(pennantAd_);
  // A second first-ad callback restarts the timer instead of doubling it.
  if (autoslider_) autoslider_->invalidate();
  autoslider_ = platform::Timer::scheduledTimerWithTimeInterval(kRefreshInterval, shared_from_this(),
                                                                &Vorla_ButtonAppDelegate::refreshAd, {}, true);
}

void Vorla_ButtonAppDelegate::didFailToReceiveAd(const std::shared_ptr<pennant::PennantView>& /*adView*/) {
  platform::log("Pennant: Did fail to receive ad");
  pennantAd_.reset();
}

void Vorla_ButtonAppDelegate::refreshAd(platform::Timer& /*timer*/) {
  if (pennantAd_) pennantAd_->requestFreshAd();
}

}  // namespace vorla
