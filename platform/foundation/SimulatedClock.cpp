#include "platform/foundation/SimulatedClock.h"

namespace platform {

void SimulatedClock::setNow(double time) {
  if (time > now_) now_ = time;
}

}  // namespace platform
