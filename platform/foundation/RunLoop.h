#pragma once
// The one event loop of the process. Everything happens on the main thread,
// called from here: timers and delayed calls, file-descriptor activity,
// network callbacks, and sources with a poll cycle of their own (an embedded
// GLib main context).
//
// How to use it:
//  - App code schedules work on RunLoop::current() (the main loop unless a
//    test made its own loop current) with performAfterDelay(), performSoon()
//    or a Timer, and watches descriptors with addFdWatch().
//  - The window front end calls run() on a loop with a RealClock; stop()
//    ends it. The headless driver and tests use a SimulatedClock and move
//    time with advanceBy()/runUntil(): due callbacks run in time order (ties
//    in scheduling order), and before simulated time moves on, all work
//    registered with beginWorkInFlight() (network transfers, page loads) is
//    given up to workInFlightCap() seconds of real time to finish. Loopback
//    downloads therefore take no simulated time.
//  - Transport machinery whose deadlines are real (libcurl's timers) uses
//    performAfterRealDelay(), which is always measured on the machine's
//    monotonic clock, whatever clock the loop runs on.
//
// Ownership: the loop owns the callbacks handed to it until they run or are
// cancelled; a callback that captures a shared_ptr keeps that object alive
// meanwhile. Callbacks may schedule, cancel, add and remove watches and
// sources, and destroy objects while the loop dispatches. Objects that must
// not outlive a test's loop can hold lifetime() and check it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/CallbackQueue.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/RealClock.h"
#include "platform/foundation/RunLoopSource.h"

namespace platform {

class SimulatedClock;

class RunLoop {
 public:
  using CallbackId = std::uint64_t;  // never 0, so 0 can mean "none"
  using Callback = std::function<void()>;
  // `events` is a mask of kReadable, kWritable and kError.
  using FdCallback = std::function<void(int fd, unsigned events)>;
  // Held while work is in flight; dropping the last copy ends it.
  using WorkInFlight = std::shared_ptr<void>;

  static constexpr unsigned kReadable = 1;
  static constexpr unsigned kWritable = 2;
  static constexpr unsigned kError = 4;  // error, hang-up or invalid descriptor
  // On a simulated clock, a callback due less than this after the current
  // time counts as due now: a chain of durations (0.5 + 0.2) and a script's
  // wait for their sum (0.7) agree only to within rounding, and a step must
  // not slip past the wait for its total by a rounding error. The clock
  // itself never moves past the time asked for.
  static constexpr double kSameMoment = 1e-9;

  explicit RunLoop(std::shared_ptr<Clock> clock = std::make_shared<RealClock>());
  ~RunLoop();
  RunLoop(const RunLoop&) = delete;
  RunLoop& operator=(const RunLoop&) = delete;

  // The main thread's loop, created on first use with a RealClock and never
  // destroyed. The headless driver gives it a SimulatedClock with setClock().
  static RunLoop& main();
  // The loop app code schedules on: the last loop made current on this
  // thread that still exists, otherwise main().
  static RunLoop& current();
  void makeCurrent();

  const std::shared_ptr<Clock>& clock() const { return clock_; }
  double now() const { return clock_->now(); }
  // Pending delayed calls keep their remaining delay on the new clock.
  void setClock(std::shared_ptr<Clock> clock);

  // Delayed calls on the loop's clock. Negative delays count as zero.
  CallbackId performAt(double time, Callback callback);
  CallbackId performAfterDelay(double seconds, Callback callback);
  CallbackId performSoon(Callback callback);
  CallbackId performAfterRealDelay(double seconds, Callback callback);
  // Returns true when the call was still pending; it will not run.
  bool cancelPerform(CallbackId id);
  // The time of the earliest delayed call on the loop's clock.
  std::optional<double> nextFireTime() const { return clockQueue_.nextTime(); }

  CallbackId addFdWatch(int fd, unsigned events, FdCallback callback);
  void setFdWatchEvents(CallbackId id, unsigned events);
  void removeFdWatch(CallbackId id);

  void addSource(std::shared_ptr<RunLoopSource> source);
  void removeSource(const RunLoopSource* source);

  [[nodiscard]] WorkInFlight beginWorkInFlight();
  std::size_t workInFlightCount() const { return inFlight_; }
  double workInFlightCap() const { return inFlightCap_; }
  void setWorkInFlightCap(double realSeconds) { inFlightCap_ = realSeconds; }

  // Runs until stop() is called from a callback, or until nothing is left
  // that could ever fire. With a SimulatedClock it jumps from one due time
  // to the next as fast as work in flight allows.
  void run();
  void stop() { stopRequested_ = true; }

  // Waits up to `timeoutSeconds` of real time (negative: no limit) for
  // something to become ready, dispatches what is ready, and returns whether
  // anything ran. Calls scheduled meanwhile wait for the next round.
  bool runOnce(double timeoutSeconds);
  // Dispatches everything that is ready now, without waiting.
  void runPending();
  // Lets work in flight finish (up to the cap) and dispatches what it makes
  // ready. Does not move the clock.
  void settle();
  // Moves time forward, firing due callbacks in order. With a RealClock the
  // loop simply runs until that time has come.
  void advanceBy(double seconds);
  void runUntil(double time);

  // Per-loop state of other subsystems (the shared network transfer
  // engine, an embedded main context), destroyed first with the loop.
  std::shared_ptr<void> attachment(const std::string& key) const;
  void setAttachment(const std::string& key, std::shared_ptr<void> value);

  // Expires when the loop is destroyed.
  std::weak_ptr<void> lifetime() const { return alive_; }

 private:
  struct Watch {
    int fd;
    unsigned events;
    FdCallback callback;
  };

  double realNow() const { return realClock_.now(); }
  int pollTimeoutMs(double timeoutSeconds) const;
  // The latest scheduled time that counts as due now.
  double dueBy() const;
  bool hasAnythingPending() const;
  void runSimulated();

  std::shared_ptr<Clock> clock_;
  SimulatedClock* simulated_ = nullptr;  // clock_ when it is simulated
  RealClock realClock_;
  CallbackQueue clockQueue_;
  CallbackQueue realQueue_;
  std::map<CallbackId, std::shared_ptr<Watch>> watches_;
  std::vector<std::shared_ptr<RunLoopSource>> sources_;
  std::map<std::string, std::shared_ptr<void>> attachments_;
  CallbackId nextId_ = 1;
  std::size_t inFlight_ = 0;
  double inFlightCap_ = 90.0;
  bool stopRequested_ = false;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform
