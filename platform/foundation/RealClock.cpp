#include "platform/foundation/RealClock.h"

namespace platform {

RealClock::RealClock() : start_(std::chrono::steady_clock::now()) {}

double RealClock::now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

}  // namespace platform
