#include "platform/foundation/Timer.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
constexpr double kMinimumRepeatInterval = 0.0001;
}

std::shared_ptr<Timer> Timer::scheduledTimerWithTimeInterval(double interval,
                                                             std::shared_ptr<void> target,
                                                             Action action, std::any userInfo,
                                                             bool repeats, RunLoop& loop) {
  auto timer = std::make_shared<Timer>(Private{}, loop, interval, std::move(target),
                                       std::move(action), std::move(userInfo), repeats);
  timer->schedule();
  return timer;
}

Timer::Timer(Private, RunLoop& loop, double interval, std::shared_ptr<void> target, Action action,
             std::any userInfo, bool repeats)
    : loop_(&loop),
      loopLifetime_(loop.lifetime()),
      interval_(repeats ? std::max(interval, kMinimumRepeatInterval) : std::max(interval, 0.0)),
      repeats_(repeats),
      target_(std::move(target)),
      action_(std::move(action)),
      userInfo_(std::move(userInfo)),
      start_(loop.now()) {}

Timer::~Timer() = default;

double Timer::fireDate() const { return start_ + static_cast<double>(ticks_) * interval_; }

void Timer::schedule() {
  // The loop's callback owns the timer: that is what keeps a scheduled
  // timer alive when nobody else holds it.
  auto self = shared_from_this();
  pending_ = loop_->performAt(fireDate(), [self] { self->fire(); });
}

void Timer::fire() {
  pending_ = 0;
  if (!valid_) return;
  auto protector = shared_from_this();
  // Copies, so that invalidate() inside the action cannot destroy the
  // function that is running or the target it works on.
  Action action = action_;
  std::shared_ptr<void> target = target_;
  if (repeats_) {
    const double now = loop_->now();
    ++ticks_;
    if (fireDate() <= now) {
      // The loop fell behind: skip to the first tick still in the future.
      ticks_ = static_cast<unsigned long long>(std::floor((now - start_) / interval_)) + 1;
    }
    schedule();
  }
  if (action) action(*this);
  if (!repeats_) invalidate();
}

void Timer::invalidate() {
  if (!valid_) return;
  auto protector = weak_from_this().lock();
  valid_ = false;
  if (pending_ != 0 && !loopLifetime_.expired()) loop_->cancelPerform(pending_);
  pending_ = 0;
  target_.reset();
  action_ = nullptr;
}

}  // namespace platform
