// A small app for testing alerts and action sheets through the real front
// ends, headless and in the window: one screen of buttons that show them,
// a toolbar to show the sheet from, and a button underneath that says when
// it is pressed. Every answer is logged, so the journal shows who heard
// what:
//   "Alert"       an alert "Whoops" with Cancel and Retry
//   "Two alerts"  "First" (OK) and "Second" (Later), shown at once
//   "Sheet"       an action sheet with Launch Safari, Email link and Cancel
//   "Underneath"  logs "Underneath pressed"
// The screen turns to every orientation.

#include <memory>
#include <string>

#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/Log.h"
#include "platform/shell/AppLauncher.h"
#include "platform/shell/ApplicationDelegate.h"
#include "platform/shell/ApplicationDelegateRegistry.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/Window.h"

namespace {

using namespace platform;
using namespace platform::ui;

class PopupTestAppDelegate : public shell::ApplicationDelegate,
                             public AlertViewDelegate,
                             public ActionSheetDelegate,
                             public RotationHandler,
                             public std::enable_shared_from_this<PopupTestAppDelegate> {
 public:
  void applicationDidFinishLaunching(Application& application) override {
    window_ = Window::create(Screen::mainScreen().bounds());
    auto screen = View::create(Screen::mainScreen().applicationFrame());
    screen->setBackgroundColor(graphics::Color::whiteColor());
    screen->setAutoresizingMask(View::kAutoresizingFlexibleWidth | View::kAutoresizingFlexibleHeight);
    window_->addSubview(screen);
    addButton(screen, "Alert", 20, [this] {
      AlertView::create("Whoops", "Couldn't connect to that page.", weak_from_this(), "Cancel", {"Retry"})->show();
    });
    addButton(screen, "Two alerts", 80, [this] {
      AlertView::create("First", std::nullopt, weak_from_this(), "OK", {})->show();
      AlertView::create("Second", std::nullopt, weak_from_this(), "Later", {})->show();
    });
    addButton(screen, "Sheet", 140, [this] {
      ActionSheet::create(std::nullopt, weak_from_this(), "Cancel", std::nullopt, {"Launch Safari", "Email link"})
          ->showFromToolbar(toolbar_);
    });
    addButton(screen, "Underneath", 340, [] { log("Underneath pressed"); });
    toolbar_ = std::make_shared<Toolbar>();
    toolbar_->initWithFrame({{0, 416}, {320, 44}});
    toolbar_->setAutoresizingMask(View::kAutoresizingFlexibleWidth | View::kAutoresizingFlexibleTopMargin);
    screen->addSubview(toolbar_);
    application.setRotationHandler(weak_from_this());
    window_->makeKeyAndVisible();
  }

  void alertViewClickedButtonAtIndex(AlertView& alert, int index) override {
    log("Alert " + alert.title().value_or("") + " answered " + std::to_string(index));
  }
  void actionSheetClickedButtonAtIndex(ActionSheet&, int index) override {
    log("Sheet answered " + std::to_string(index));
  }

  bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation) override { return true; }
  void willRotateToInterfaceOrientationDuration(InterfaceOrientation, double) override {}

 private:
  template <typename Action>
  static void addButton(const std::shared_ptr<View>& screen, const std::string& title, double y, Action action) {
    auto button = Button::buttonWithType(Button::kTypeRoundedRect);
    button->setFrame({{15, y}, {290, 44}});
    button->setTitleForState(title, Control::kStateNormal);
    button->addTargetActionForControlEvents([action](Control&) { action(); }, Control::kEventTouchUpInside);
    screen->addSubview(button);
  }

  std::shared_ptr<Window> window_;
  std::shared_ptr<Toolbar> toolbar_;
};

const bool registered = shell::ApplicationDelegateRegistry::registerClass(
    "PopupTestAppDelegate", [] { return std::make_shared<PopupTestAppDelegate>(); });

}  // namespace

int main(int argc, char** argv) {
  (void)registered;
  platform::AppIdentity::setCurrent({"Popup Test App", "popup-test-app", "POPUP_TEST_APP_",
                                     "popup-test-app device identifier v1\n"});
  return platform::shell::AppLauncher::main(argc, argv, "PopupTestAppDelegate");
}
