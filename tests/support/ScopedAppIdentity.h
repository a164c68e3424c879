#pragma once
// Gives the process another app's identity for the life of the object and
// puts the previous one back afterwards, so a test shows that the platform
// takes names and prefixes from the identity rather than knowing them.

#include "platform/foundation/AppIdentity.h"

namespace testing_support {

class ScopedAppIdentity {
 public:
  explicit ScopedAppIdentity(platform::AppIdentity identity) : previous_(platform::AppIdentity::current()) {
    platform::AppIdentity::setCurrent(std::move(identity));
  }
  ~ScopedAppIdentity() { platform::AppIdentity::setCurrent(previous_); }
  ScopedAppIdentity(const ScopedAppIdentity&) = delete;
  ScopedAppIdentity& operator=(const ScopedAppIdentity&) = delete;

  // A host app unlike the one this project ships.
  static platform::AppIdentity hostApp() {
    return {"Host App", "host-app", "HOSTAPP_", "host-app device identifier v1\n"};
  }

 private:
  platform::AppIdentity previous_;
};

}  // namespace testing_support
