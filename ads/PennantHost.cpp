#include "ads/PennantHost.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "ads/PennantLaunchOptions.h"
#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/Timer.h"
#include "platform/shell/ApplicationDelegate.h"
#include "platform/shell/ApplicationDelegateRegistry.h"
#include "platform/shell/ApplicationMain.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace pennant {

namespace {

constexpr const char* kDelegateClassName = "PennantHostDelegate";
constexpr double kShortestRepeat = 0.1;

class HostWindow : public PennantHostWindow {
 public:
  explicit HostWindow(std::shared_ptr<platform::ui::Window> window) : window_(std::move(window)) {}

  platform::graphics::Size size() const override { return window_->bounds().size; }

  void showAdView(const std::shared_ptr<PennantView>& adView, platform::graphics::Rect frame) override {
    if (!adView) return;
    adView->setFrame(frame);
    window_->addSubview(adView);
  }

  void removeAdView(const std::shared_ptr<PennantView>& adView) override {
    if (adView && adView->superview() == window_) adView->removeFromSuperview();
  }

  std::function<void()> repeatEvery(double seconds, std::function<void()> action) override {
    auto timer = platform::Timer::scheduledTimerWithTimeInterval(
        std::max(seconds, kShortestRepeat), nullptr,
        [action = std::move(action)](platform::Timer&) {
          if (action) action();
        },
        {}, true);
    return [weak = std::weak_ptr<platform::Timer>(timer)] {
      if (auto live = weak.lock()) live->invalidate();
    };
  }

 private:
  std::shared_ptr<platform::ui::Window> window_;
};

// The host program's application delegate: one window in the host's
// colour, handed to the host once it is on screen.
class HostDelegate : public platform::shell::ApplicationDelegate {
 public:
  explicit HostDelegate(const PennantHostApp& app) : app_(app) {}

  void applicationDidFinishLaunching(platform::ui::Application&) override {
    auto window = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
    window->setBackgroundColor(app_.backgroundColor);
    window->makeKeyAndVisible();
    hostWindow_ = std::make_unique<HostWindow>(window);
    if (app_.didFinishLaunching) app_.didFinishLaunching(*hostWindow_);
  }

 private:
  const PennantHostApp& app_;
  std::unique_ptr<HostWindow> hostWindow_;
};

}  // namespace

int PennantHost::main(int argc, char** argv, PennantHostApp app) {
  platform::AppIdentity::setCurrent(
      {app.name, app.fileName, app.environmentPrefix, app.deviceIdentifierSalt});
  PennantLaunchOptions::registerWithLauncher();
  // The delegate is made by name inside the launch, which returns only when
  // the program ends: `app` outlives it.
  platform::shell::ApplicationDelegateRegistry::registerClass(
      kDelegateClassName, [&app] { return std::make_shared<HostDelegate>(app); });
  return platform::shell::UIApplicationMain(argc, argv, nullptr, kDelegateClassName);
}

}  // namespace pennant
