#pragma once
// A clock that follows the machine's monotonic clock, starting at 0 when it is
// made. Used by the desktop window and by tests that need real waiting.

#include <chrono>

#include "platform/foundation/Clock.h"

namespace platform {

class RealClock : public Clock {
 public:
  RealClock();

  double now() const override;
  bool isSimulated() const override { return false; }

 private:
  std::chrono::steady_clock::time_point start_;
};

}  // namespace platform
