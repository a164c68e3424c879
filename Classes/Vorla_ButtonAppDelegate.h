#pragma once
// The app's delegate: at launch it builds the window and the one navigation
// stack, whose root is the English button screen, under a black bar, and
// asks the ad library for a banner. It is the banner's PennantDelegate: when
// the first ad arrives it places the banner at the bottom of the navigation
// view and asks for a fresh ad every 60 seconds; when the first ad fails the
// app runs without a banner.
//
// Ownership: the front end owns the delegate for the life of the process;
// the delegate owns the window, the navigation controller (which owns every
// screen on its stack) and the ad view. The refresh timer is kept alive by
// the run loop; the delegate only refers to it.

#include <memory>

#include "ads/PennantDelegate.h"
#include "ads/PennantView.h"
#include "platform/foundation/Timer.h"
#include "platform/shell/ApplicationDelegate.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Window.h"

namespace vorla {

class BothViewController;
class TrimoViewController;
class VorlaViewController;

class Vorla_ButtonAppDelegate : public platform::shell::ApplicationDelegate,
                                public pennant::PennantDelegate,
                                public std::enable_shared_from_this<Vorla_ButtonAppDelegate> {
 public:
  static constexpr const char* kClassName = "Vorla_ButtonAppDelegate";
  static constexpr int kBlackBarStyle = 1;
  static constexpr const char* kPublisherId = "a15c2be9f174da6";
  static constexpr double kRefreshInterval = 60.0;

  ~Vorla_ButtonAppDelegate() override;

  void applicationDidFinishLaunching(platform::ui::Application& application) override;

  // The banner's host.
  std::optional<std::string> publisherId() override { return kPublisherId; }
  std::optional<platform::graphics::Color> adBackgroundColor() override {
    return platform::graphics::Color::blackColor();
  }
  std::optional<platform::graphics::Color> adTextColor() override { return platform::graphics::Color::whiteColor(); }
  std::optional<bool> mayAskForLocation() override { return false; }
  void didReceiveAd(const std::shared_ptr<pennant::PennantView>& adView) override;
  void didFailToReceiveAd(const std::shared_ptr<pennant::PennantView>& adView) override;
  // The refresh timer's action.
  void refreshAd(platform::Timer& timer);

  const std::shared_ptr<pennant::PennantView>& pennantAd() const { return pennantAd_; }

  const std::shared_ptr<platform::ui::Window>& window() const { return window_; }
  void setWindow(std::shared_ptr<platform::ui::Window> window) { window_ = std::move(window); }
  const std::shared_ptr<platform::ui::NavigationController>& nav() const { return nav_; }
  void setNav(std::shared_ptr<platform::ui::NavigationController> nav) { nav_ = std::move(nav); }

 private:
  std::shared_ptr<platform::ui::Window> window_;
  std::shared_ptr<platform::ui::NavigationController> nav_;
  std::shared_ptr<pennant::PennantView> pennantAd_;
  std::shared_ptr<platform::Timer> autoslider_;
  // Kept as the app always has; nothing sets or reads them.
  std::shared_ptr<VorlaViewController> _vorlaViewController_;
  std::shared_ptr<TrimoViewController> _trimoViewController_;
  std::shared_ptr<BothViewController> _bothViewController_;
};

}  // namespace vorla
