// web-test-app: the smallest app around a web view, so that the web view
// can be driven as a whole program, headless or in the window, before any
// screen of the real app shows one. The screen: a dark blue bar at the top
// of the application frame and, below it, a web view (0, 64, 320, 372 on the
// portrait screen) that loads $WEB_TEST_URL at launch. Without that
// variable the screen has no web view.

#include <cstdlib>
#include <memory>

#include "platform/foundation/AppIdentity.h"
#include "platform/shell/ApplicationDelegateRegistry.h"
#include "platform/shell/ApplicationMain.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"

namespace {

class WebTestAppDelegate : public platform::shell::ApplicationDelegate {
 public:
  void applicationDidFinishLaunching(platform::ui::Application&) override {
    window_ = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
    auto bar = platform::ui::View::create({{0, 20}, {320, 44}});
    bar->setBackgroundColor(platform::graphics::Color{0.1, 0.1, 0.5, 1.0});
    window_->addSubview(bar);
    if (const char* url = std::getenv("WEB_TEST_URL"); url && *url) {
      web_ = platform::web::WebView::create({{0, 64}, {320, 372}});
      window_->addSubview(web_);
      web_->loadRequest(platform::web::WebRequest(url));
    }
    window_->makeKeyAndVisible();
  }

 private:
  std::shared_ptr<platform::ui::Window> window_;
  std::shared_ptr<platform::web::WebView> web_;
};

const bool registered = platform::shell::ApplicationDelegateRegistry::registerClass(
    "WebTestAppDelegate", [] { return std::make_shared<WebTestAppDelegate>(); });

}  // namespace

int main(int argc, char** argv) {
  (void)registered;
  platform::AppIdentity::setCurrent({"Web Test App", "web-test-app", "WEB_TEST_APP_",
                                     "web-test-app device identifier v1\n"});
  return platform::shell::UIApplicationMain(argc, argv, nullptr, "WebTestAppDelegate");
}
