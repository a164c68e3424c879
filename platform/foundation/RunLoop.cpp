#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/SimulatedClock.h"

namespace platform {

namespace {

thread_local RunLoop* currentLoop = nullptr;

// Milliseconds to wait for `seconds`, rounded up so that a wait for a
// deadline never wakes just before it.
int toTimeoutMs(double seconds) {
  if (seconds <= 0) return 0;
  const double ms = std::ceil(seconds * 1000.0);
  return ms >= INT_MAX ? INT_MAX : static_cast<int>(ms);
}

int lowerTimeout(int current, int candidate) {
  if (candidate < 0) return current;
  if (current < 0) return candidate;
  return std::min(current, candidate);
}

}  // namespace

RunLoop::RunLoop(std::shared_ptr<Clock> clock) { setClock(std::move(clock)); }

RunLoop::~RunLoop() {
  // Subsystems attached to the loop remove their watches and calls from it
  // while it is still whole.
  auto attachments = std::move(attachments_);
  attachments.clear();
  alive_.reset();
  if (currentLoop == this) currentLoop = nullptr;
  // Captured objects may call back into the loop from their destructors;
  // they find empty containers.
  auto clockQueue = std::move(clockQueue_);
  auto realQueue = std::move(realQueue_);
  auto watches = std::move(watches_);
  auto sources = std::move(sources_);
}

RunLoop& RunLoop::main() {
  static RunLoop* loop = new RunLoop();
  return *loop;
}

RunLoop& RunLoop::current() { return currentLoop ? *currentLoop : main(); }

void RunLoop::makeCurrent() { currentLoop = this; }

void RunLoop::setClock(std::shared_ptr<Clock> clock) {
  if (!clock) clock = std::make_shared<RealClock>();
  if (clock_) clockQueue_.shiftAll(clock->now() - clock_->now());
  clock_ = std::move(clock);
  simulated_ = clock_->isSimulated() ? dynamic_cast<SimulatedClock*>(clock_.get()) : nullptr;
}

RunLoop::CallbackId RunLoop::performAt(double time, Callback callback) {
  const CallbackId id = nextId_++;
  clockQueue_.add(id, time, std::move(callback));
  return id;
}

RunLoop::CallbackId RunLoop::performAfterDelay(double seconds, Callback callback) {
  return performAt(now() + std::max(0.0, seconds), std::move(callback));
}

RunLoop::CallbackId RunLoop::performSoon(Callback callback) {
  return performAt(now(), std::move(callback));
}

RunLoop::CallbackId RunLoop::performAfterRealDelay(double seconds, Callback callback) {
  const CallbackId id = nextId_++;
  realQueue_.add(id, realNow() + std::max(0.0, seconds), std::move(callback));
  return id;
}

bool RunLoop::cancelPerform(CallbackId id) {
  return clockQueue_.cancel(id) || realQueue_.cancel(id);
}

RunLoop::CallbackId RunLoop::addFdWatch(int fd, unsigned events, FdCallback callback) {
  const CallbackId id = nextId_++;
  watches_[id] = std::make_shared<Watch>(Watch{fd, events, std::move(callback)});
  return id;
}

void RunLoop::setFdWatchEvents(CallbackId id, unsigned events) {
  if (auto found = watches_.find(id); found != watches_.end()) found->second->events = events;
}

void RunLoop::removeFdWatch(CallbackId id) {
  auto found = watches_.find(id);
  if (found == watches_.end()) return;
  auto doomed = std::move(found->second);  // destroyed after the map is consistent
  watches_.erase(found);
}

void RunLoop::addSource(std::shared_ptr<RunLoopSource> source) {
  if (source) sources_.push_back(std::move(source));
}

void RunLoop::removeSource(const RunLoopSource* source) {
  auto found = std::find_if(sources_.begin(), sources_.end(),
                            [source](const auto& s) { return s.get() == source; });
  if (found == sources_.end()) return;
  auto doomed = std::move(*found);
  sources_.erase(found);
}

RunLoop::WorkInFlight RunLoop::beginWorkInFlight() {
  ++inFlight_;
  std::weak_ptr<int> alive = alive_;
  return WorkInFlight(nullptr, [this, alive](void*) {
    if (alive.lock() && inFlight_ > 0) --inFlight_;
  });
}

int RunLoop::pollTimeoutMs(double timeoutSeconds) const {
  int ms = timeoutSeconds < 0 ? -1 : toTimeoutMs(timeoutSeconds);
  if (auto next = clockQueue_.nextTime()) {
    if (*next <= dueBy()) return 0;
    // A simulated clock does not move while we wait, so its timers cannot
    // become due during the wait.
    if (!simulated_) ms = lowerTimeout(ms, toTimeoutMs(*next - now()));
  }
  if (auto next = realQueue_.nextTime()) ms = lowerTimeout(ms, toTimeoutMs(*next - realNow()));
  return ms;
}

bool RunLoop::runOnce(double timeoutSeconds) {
  const CallbackId limit = nextId_;

  std::vector<pollfd> fds;
  std::vector<CallbackId> watchIds;
  for (const auto& [id, watch] : watches_) {
    short events = 0;
    if (watch->events & kReadable) events |= POLLIN;
    if (watch->events & kWritable) events |= POLLOUT;
    if (events == 0) continue;
    fds.push_back(pollfd{watch->fd, events, 0});
    watchIds.push_back(id);
  }
  int timeoutMs = pollTimeoutMs(timeoutSeconds);
  const auto sources = sources_;
  std::vector<std::pair<std::size_t, std::size_t>> sourceRanges;
  for (const auto& source : sources) {
    const std::size_t begin = fds.size();
    timeoutMs = lowerTimeout(timeoutMs, source->prepare(fds));
    sourceRanges.emplace_back(begin, fds.size() - begin);
  }
  if (timeoutMs < 0 && fds.empty() && clockQueue_.empty() && realQueue_.empty()) {
    return false;  // nothing could ever wake us
  }

  int ready = ::poll(fds.data(), fds.size(), timeoutMs);
  if (ready < 0) {
    // An interrupted wait is an empty round; anything else means a
    // descriptor list we cannot poll, which no retry would fix either.
    for (auto& fd : fds) fd.revents = 0;
  }

  bool dispatched = false;
  for (std::size_t i = 0; i < watchIds.size(); ++i) {
    const short revents = fds[i].revents;
    if (revents == 0) continue;
    auto found = watches_.find(watchIds[i]);
    if (found == watches_.end()) continue;  // removed by an earlier callback
    const std::shared_ptr<Watch> watch = found->second;
    unsigned events = 0;
    if ((watch->events & kReadable) && (revents & (POLLIN | POLLHUP | POLLERR))) events |= kReadable;
    if ((watch->events & kWritable) && (revents & (POLLOUT | POLLERR))) events |= kWritable;
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) events |= kError;
    if (events == 0) continue;
    watch->callback(watch->fd, events);
    dispatched = true;
  }
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const auto& source = sources[i];
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) continue;
    auto [begin, count] = sourceRanges[i];
    if (source->check(std::span<const pollfd>(fds.data() + begin, count))) {
      source->dispatch();
      dispatched = true;
    }
  }
  while (auto callback = realQueue_.takeDue(realNow(), limit)) {
    (*callback)();
    dispatched = true;
  }
  while (auto callback = clockQueue_.takeDue(dueBy(), limit)) {
    (*callback)();
    dispatched = true;
  }
  return dispatched;
}

void RunLoop::runPending() {
  while (runOnce(0)) {
  }
}

void RunLoop::settle() {
  runPending();
  if (inFlight_ == 0) return;
  const double deadline = realNow() + inFlightCap_;
  while (inFlight_ > 0) {
    const double left = deadline - realNow();
    if (left <= 0) {
      log("RunLoop: work in flight did not finish in " + NumberText::fixed(inFlightCap_, 1) +
          " s of real time; simulated time moves on");
      break;
    }
    runOnce(left);
  }
  runPending();
}

double RunLoop::dueBy() const { return simulated_ ? now() + kSameMoment : now(); }

void RunLoop::advanceBy(double seconds) { runUntil(now() + std::max(0.0, seconds)); }

void RunLoop::runUntil(double time) {
  if (!simulated_) {
    while (now() < time) runOnce(time - now());
    runPending();
    return;
  }
  for (;;) {
    settle();
    const auto next = clockQueue_.nextTime();
    if (!next || *next > time + kSameMoment) break;
    simulated_->setNow(std::max(now(), std::min(*next, time)));
    runOnce(0);
  }
  simulated_->setNow(std::max(now(), time));
  settle();
}

bool RunLoop::hasAnythingPending() const {
  return !clockQueue_.empty() || !realQueue_.empty() || !watches_.empty() || !sources_.empty();
}

void RunLoop::runSimulated() {
  while (!stopRequested_) {
    settle();
    if (stopRequested_) break;
    const auto next = clockQueue_.nextTime();
    if (!next) break;  // nothing in simulated time can happen any more
    simulated_->setNow(*next);
    runOnce(0);
  }
}

void RunLoop::run() {
  stopRequested_ = false;
  if (simulated_) {
    runSimulated();
    return;
  }
  while (!stopRequested_ && hasAnythingPending()) runOnce(-1);
}

std::shared_ptr<void> RunLoop::attachment(const std::string& key) const {
  auto found = attachments_.find(key);
  return found == attachments_.end() ? nullptr : found->second;
}

void RunLoop::setAttachment(const std::string& key, std::shared_ptr<void> value) {
  auto previous = std::move(attachments_[key]);
  if (value) {
    attachments_[key] = std::move(value);
  } else {
    attachments_.erase(key);
  }
}

}  // namespace platform
