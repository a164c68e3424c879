#pragma once
// Whether a web view is loading a page, as the app should see it: from the
// moment a load is asked for (or a navigation approved) until the engine
// reports how it ended. Meanwhile the tracker holds the run loop's
// work-in-flight token, so simulated time stands still while a page loads
// (the loop's real-time cap still applies), and it watches the load's own
// real-time limit.
//
//   tracker.expectStart(request.timeoutInterval());   // loadRequest
//   tracker.started();  ...  tracker.ended();          // engine reports
//
// The engine does not always say when nothing comes of a request (a
// navigation refused, a redirect it gives up silently): a load that was
// expected but never started is forgotten after a short grace period, and
// one that started but stopped without an ending is reported to the owner.
//
// Ownership: owned by its web view; calls the owner's handlers from run-loop
// callbacks, never after it is destroyed.

#include <functional>
#include <memory>

#include "platform/foundation/RunLoop.h"

namespace platform::web {

class WebLoadTracker {
 public:
  static constexpr double kDefaultTimeout = 60.0;
  // Real seconds the engine gets to start an expected load, or to report
  // how a stopped load ended, before the tracker stops waiting for it.
  static constexpr double kGracePeriod = 0.5;

  struct Handlers {
    std::function<bool()> engineIsLoading;
    std::function<void()> loadTimedOut;
    std::function<void()> loadStoppedSilently;
  };

  WebLoadTracker(RunLoop& loop, Handlers handlers);
  ~WebLoadTracker();
  WebLoadTracker(const WebLoadTracker&) = delete;
  WebLoadTracker& operator=(const WebLoadTracker&) = delete;

  // A load was asked for; it may start soon or not at all. `timeout` (real
  // seconds, zero or less for the default) applies to it once it starts.
  void expectStart(double timeout = kDefaultTimeout);
  // The engine started a page load. Returns true when another load was
  // still going: the new one replaced it.
  bool started();
  // The page load ended (finished, failed or given up).
  void ended();
  // The engine no longer loads anything.
  void engineStopped();

  bool isLoading() const { return loading_ || awaiting_; }
  bool hasStarted() const { return loading_; }

 private:
  void armTimeout(double seconds);
  void cancel(RunLoop::CallbackId& id);
  void checkAfterGrace();
  void updateWorkInFlight();

  RunLoop& loop_;
  Handlers handlers_;
  bool loading_ = false;
  bool awaiting_ = false;
  bool awaitingAfterCurrent_ = false;  // expected while another load ran
  double nextTimeout_ = kDefaultTimeout;
  RunLoop::CallbackId timeoutCall_ = 0;
  RunLoop::CallbackId graceCall_ = 0;
  RunLoop::WorkInFlight inFlight_;
  std::weak_ptr<void> loopAlive_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::web
