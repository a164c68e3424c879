#pragma once
// Hands the engine's reports of one web view to the app in order, but
// never from inside a synchronous wait on the engine: while any web view
// waits for a script result or a snapshot, GLib's main context keeps
// dispatching engine signals, and acting on them there would call the
// delegate from inside the app's own call into the web view. Such reports
// are held and delivered from the run loop right after, in the order they
// came; later reports queue behind them.
//
// Ownership: owned by its web view; the queued reports die with it.

#include <deque>
#include <functional>
#include <memory>

#include "platform/foundation/RunLoop.h"

namespace platform::web {

class WebEventQueue {
 public:
  explicit WebEventQueue(RunLoop& loop) : loop_(loop), loopAlive_(loop.lifetime()) {}
  ~WebEventQueue();
  WebEventQueue(const WebEventQueue&) = delete;
  WebEventQueue& operator=(const WebEventQueue&) = delete;

  // Runs `report` now, or later when it may not run now.
  void deliver(std::function<void()> report);

 private:
  void scheduleDrain();
  void drain();

  RunLoop& loop_;
  std::weak_ptr<void> loopAlive_;
  std::deque<std::function<void()>> queue_;
  RunLoop::CallbackId drainCall_ = 0;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::web
