#pragma once
// A one-shot or repeating timer on a run loop.
//
//   timer_ = Timer::scheduledTimerWithTimeInterval(
//       0.3, shared_from_this(), &SingleAdView::addSpinner, std::any(center), false);
//   ...
//   void SingleAdView::addSpinner(Timer& timer) { auto c = std::any_cast<Point>(timer.userInfo()); }
//
// Ownership: the run loop keeps a scheduled timer alive until it has fired
// for the last time (a one-shot timer, right after its action) or until it
// is invalidated, so callers may keep no reference at all. A scheduled timer
// keeps its target alive for as long; invalidate() releases the target and
// the action at once. The action may invalidate its own or any other timer.
//
// A repeating timer fires at start + n * interval: a late tick never shifts
// the ticks after it, and ticks missed while the loop was busy are skipped,
// not bunched up.

#include <any>
#include <functional>
#include <memory>

#include "platform/foundation/RunLoop.h"

namespace platform {

class Timer : public std::enable_shared_from_this<Timer> {
 public:
  using Action = std::function<void(Timer&)>;

  // Schedules on `loop` (by default the current run loop). `target` is kept
  // alive while the timer is scheduled; the action usually reaches it
  // through its own capture. A repeating interval of zero or less becomes
  // 0.1 ms, so a repeating timer cannot hold simulated time still.
  static std::shared_ptr<Timer> scheduledTimerWithTimeInterval(double interval,
                                                               std::shared_ptr<void> target,
                                                               Action action, std::any userInfo,
                                                               bool repeats,
                                                               RunLoop& loop = RunLoop::current());

  // Target and method, like a target-selector pair: calls
  // (target.*selector)(timer) on each tick.
  template <class T>
  static std::shared_ptr<Timer> scheduledTimerWithTimeInterval(double interval,
                                                               const std::shared_ptr<T>& target,
                                                               void (T::*selector)(Timer&),
                                                               std::any userInfo, bool repeats,
                                                               RunLoop& loop = RunLoop::current()) {
    std::weak_ptr<T> weakTarget = target;
    return scheduledTimerWithTimeInterval(
        interval, std::shared_ptr<void>(target),
        [weakTarget, selector](Timer& timer) {
          if (auto strong = weakTarget.lock()) ((*strong).*selector)(timer);
        },
        std::move(userInfo), repeats, loop);
  }

  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Stops the timer for good and releases its target and action. Safe to
  // call more than once, from the timer's own action, and after the loop
  // is gone.
  void invalidate();
  bool isValid() const { return valid_; }

  const std::any& userInfo() const { return userInfo_; }
  // The time (on the loop's clock) of the next tick; inside the action of
  // a repeating timer, already the tick after the current one.
  double fireDate() const;
  double timeInterval() const { return interval_; }
  bool repeats() const { return repeats_; }

 private:
  struct Private {};

 public:
  Timer(Private, RunLoop& loop, double interval, std::shared_ptr<void> target, Action action,
        std::any userInfo, bool repeats);

 private:
  void schedule();
  void fire();

  RunLoop* loop_;
  std::weak_ptr<void> loopLifetime_;
  double interval_;
  bool repeats_;
  std::shared_ptr<void> target_;
  Action action_;
  std::any userInfo_;
  double start_;
  unsigned long long ticks_ = 1;  // fire date = start_ + ticks_ * interval_
  RunLoop::CallbackId pending_ = 0;
  bool valid_ = true;
};

}  // namespace platform
