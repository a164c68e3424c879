#include "platform/ui/Application.h"

#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace platform::ui {

Application& Application::sharedApplication() {
  static auto* application = new Application();
  return *application;
}

bool Application::openURL(const std::shared_ptr<const Url>& url) {
  if (!url || !openURLHandler_) return false;
  // Copy: the handler may replace itself.
  auto handler = openURLHandler_;
  return handler(url->absoluteString());
}

std::shared_ptr<Window> Application::keyWindow() const { return Window::keyWindow(); }

bool Application::setDeviceOrientation(int orientation) {
  if (!isValidOrientation(orientation)) return false;
  deviceOrientation_ = orientation;
  const auto target = static_cast<InterfaceOrientation>(orientation);
  if (target == interfaceOrientation_) return false;
  auto handler = rotationHandler_.lock();
  if (!handler || !handler->shouldAutorotateToInterfaceOrientation(target)) return false;
  handler->willRotateToInterfaceOrientationDuration(target, kRotationDuration);
  interfaceOrientation_ = target;
  Screen::mainScreen().setInterfaceOrientation(target);
  if (auto window = keyWindow()) window->setInterfaceOrientation(target);
  return true;
}

}  // namespace platform::ui
