#include "platform/web/WebEventQueue.h"

#include "platform/web/WebEngineView.h"

namespace platform::web {

WebEventQueue::~WebEventQueue() {
  if (drainCall_ && !loopAlive_.expired()) loop_.cancelPerform(drainCall_);
}

void WebEventQueue::deliver(std::function<void()> report) {
  if (queue_.empty() && !WebEngineView::isWaiting()) {
    report();
    return;
  }
  queue_.push_back(std::move(report));
  scheduleDrain();
}

void WebEventQueue::scheduleDrain() {
  if (drainCall_) return;
  std::weak_ptr<int> alive = alive_;
  drainCall_ = loop_.performSoon([this, alive] {
    if (alive.expired()) return;
    drainCall_ = 0;
    drain();
  });
}

void WebEventQueue::drain() {
  std::weak_ptr<int> alive = alive_;
  while (!queue_.empty()) {
    if (WebEngineView::isWaiting()) {
      scheduleDrain();
      return;
    }
    auto report = std::move(queue_.front());
    queue_.pop_front();
    report();
    if (alive.expired()) return;  // the report's receiver destroyed the view
  }
}

}  // namespace platform::web
