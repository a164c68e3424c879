#pragma once
// Delegate classes by name, so that the application main call can be given
// the delegate's class name as on the platform. An app registers its
// delegate class once, from a static initializer of its own source file:
//
//   static const bool registered = platform::shell::ApplicationDelegateRegistry::registerClass(
//       "MyAppDelegate", [] { return std::make_shared<MyAppDelegate>(); });

#include <functional>
#include <memory>
#include <string>

#include "platform/shell/ApplicationDelegate.h"

namespace platform::shell {

class ApplicationDelegateRegistry {
 public:
  using Factory = std::function<std::shared_ptr<ApplicationDelegate>()>;

  // Always true, so that it can initialize a static; a later registration
  // of the same name replaces the earlier one.
  static bool registerClass(const std::string& name, Factory factory);
  // A new delegate of the named class, or nullptr for an unknown name.
  static std::shared_ptr<ApplicationDelegate> create(const std::string& name);
};

}  // namespace platform::shell
