#pragma once
// The time source of a run loop. Everything that asks "what time is it" on
// behalf of the app (timers, delayed calls, animations, the event journal)
// asks the run loop's clock, so that the same code runs against real time in
// the window and against simulated time headless and in tests.
//
// Times are seconds since the clock started, as doubles. The clock is shared
// (std::shared_ptr) between the run loop and whoever else needs to read it.

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;

  // Seconds since this clock started; never goes backwards.
  virtual double now() const = 0;

  // True when time moves only because a driver advances it.
  virtual bool isSimulated() const = 0;
};

}  // namespace platform
