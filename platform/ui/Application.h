#pragma once
// The running application as the platform offers it: URLs handed to the
// system, and the device's orientation. A process-wide singleton, never
// destroyed; main thread only.
//
// How to use: the front end installs an open-URL handler (log to the
// journal, run xdg-open); the top view controller registers itself as the
// rotation handler; the front end reports device turns with
// setDeviceOrientation, which turns the key window's content when the
// handler allows it.
//
// Ownership: the handler function is owned; the rotation handler is weak.

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Url.h"
#include "platform/ui/InterfaceOrientation.h"
#include "platform/ui/RotationHandler.h"

namespace platform::ui {

class Window;

class Application {
 public:
  // Answers whether the URL was handed on.
  using OpenURLHandler = std::function<bool(const std::string& url)>;
  // How long the platform takes to turn the interface; reported to
  // willRotateToInterfaceOrientationDuration.
  static constexpr double kRotationDuration = 0.3;

  static Application& sharedApplication();

  // False (and nothing opened) for a null URL or when no handler is set.
  bool openURL(const std::shared_ptr<const Url>& url);
  void setOpenURLHandler(OpenURLHandler handler) { openURLHandler_ = std::move(handler); }

  std::shared_ptr<Window> keyWindow() const;

  void setRotationHandler(std::weak_ptr<RotationHandler> handler) { rotationHandler_ = std::move(handler); }

  // The way the device is held (1 to 4; 0 before anything was reported).
  int deviceOrientation() const { return deviceOrientation_; }
  // The orientation the interface is shown in.
  InterfaceOrientation statusBarOrientation() const { return interfaceOrientation_; }

  // Records the device's new orientation; when it is a valid orientation
  // other than the interface's and the rotation handler allows it, tells the
  // handler, then turns the screen and the key window. Without a handler
  // the interface stays as it is. Returns whether the interface turned.
  bool setDeviceOrientation(int orientation);

 private:
  Application() = default;

  OpenURLHandler openURLHandler_;
  std::weak_ptr<RotationHandler> rotationHandler_;
  int deviceOrientation_ = 0;
  InterfaceOrientation interfaceOrientation_ = InterfaceOrientation::Portrait;
};

}  // namespace platform::ui
