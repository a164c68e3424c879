#include "platform/web/WebLoadTracker.h"

namespace platform::web {

WebLoadTracker::WebLoadTracker(RunLoop& loop, Handlers handlers)
    : loop_(loop), handlers_(std::move(handlers)), loopAlive_(loop.lifetime()) {}

WebLoadTracker::~WebLoadTracker() {
  cancel(timeoutCall_);
  cancel(graceCall_);
}

void WebLoadTracker::cancel(RunLoop::CallbackId& id) {
  if (id && !loopAlive_.expired()) loop_.cancelPerform(id);
  id = 0;
}

void WebLoadTracker::expectStart(double timeout) {
  nextTimeout_ = timeout > 0 ? timeout : kDefaultTimeout;
  awaiting_ = true;
  // Asked for while another load runs: the engine ends that one first, and
  // this one is still to come.
  awaitingAfterCurrent_ = loading_;
  // Also a limit for the start itself: an engine that never answers must
  // not keep the app waiting for ever.
  armTimeout(nextTimeout_);
  checkAfterGrace();
  updateWorkInFlight();
}

bool WebLoadTracker::started() {
  const bool replaced = loading_;
  loading_ = true;
  awaiting_ = false;
  awaitingAfterCurrent_ = false;
  armTimeout(nextTimeout_);
  nextTimeout_ = kDefaultTimeout;
  updateWorkInFlight();
  return replaced;
}

void WebLoadTracker::ended() {
  loading_ = false;
  cancel(graceCall_);
  if (awaitingAfterCurrent_) {
    // The next load keeps the work in flight and its time-out.
    awaitingAfterCurrent_ = false;
    checkAfterGrace();
  } else {
    awaiting_ = false;
    cancel(timeoutCall_);
  }
  updateWorkInFlight();
}

void WebLoadTracker::engineStopped() {
  if (isLoading()) checkAfterGrace();
}

void WebLoadTracker::armTimeout(double seconds) {
  cancel(timeoutCall_);
  std::weak_ptr<int> alive = alive_;
  timeoutCall_ = loop_.performAfterRealDelay(seconds, [this, alive] {
    if (alive.expired()) return;
    timeoutCall_ = 0;
    if (isLoading()) handlers_.loadTimedOut();
  });
}

void WebLoadTracker::checkAfterGrace() {
  cancel(graceCall_);
  std::weak_ptr<int> alive = alive_;
  graceCall_ = loop_.performAfterRealDelay(kGracePeriod, [this, alive] {
    if (alive.expired()) return;
    graceCall_ = 0;
    if (handlers_.engineIsLoading()) return;  // still busy: its report will come
    if (loading_) {
      handlers_.loadStoppedSilently();
    } else if (awaiting_) {
      awaiting_ = false;  // nothing came of it: refused, or never a page load
      cancel(timeoutCall_);
      updateWorkInFlight();
    }
  });
}

void WebLoadTracker::updateWorkInFlight() {
  if (isLoading() && !inFlight_) {
    inFlight_ = loop_.beginWorkInFlight();
  } else if (!isLoading()) {
    inFlight_.reset();
  }
}

}  // namespace platform::web
