#pragma once
// A clock that stands still until its driver moves it. The run loop moves it
// in advanceBy()/runUntil(), one due timer at a time, so callbacks see the
// exact time they were scheduled for and no outcome depends on the speed of
// the machine.

#include "platform/foundation/Clock.h"

namespace platform {

class SimulatedClock : public Clock {
 public:
  explicit SimulatedClock(double start = 0.0) : now_(start) {}

  double now() const override { return now_; }
  bool isSimulated() const override { return true; }

  // Moves the clock to `time`. Earlier times are ignored, so the clock never
  // runs backwards whatever the caller does.
  void setNow(double time);

 private:
  double now_;
};

}  // namespace platform
