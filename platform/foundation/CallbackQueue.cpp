#include "platform/foundation/CallbackQueue.h"

namespace platform {

void CallbackQueue::add(Id id, double time, Callback callback) {
  entries_.emplace(std::make_pair(time, id), std::move(callback));
  times_[id] = time;
}

bool CallbackQueue::cancel(Id id) {
  auto found = times_.find(id);
  if (found == times_.end()) return false;
  auto entry = entries_.find({found->second, id});
  times_.erase(found);
  if (entry == entries_.end()) return false;
  // Destroy the callback only after the bookkeeping is consistent: its
  // captures may run destructors that call back into this queue.
  Callback doomed = std::move(entry->second);
  entries_.erase(entry);
  return true;
}

std::optional<double> CallbackQueue::nextTime() const {
  if (entries_.empty()) return std::nullopt;
  return entries_.begin()->first.first;
}

std::optional<CallbackQueue::Callback> CallbackQueue::takeDue(double time, Id limit) {
  for (auto it = entries_.begin(); it != entries_.end() && it->first.first <= time; ++it) {
    if (it->first.second >= limit) continue;
    Callback callback = std::move(it->second);
    times_.erase(it->first.second);
    entries_.erase(it);
    return callback;
  }
  return std::nullopt;
}

void CallbackQueue::shiftAll(double delta) {
  std::map<std::pair<double, Id>, Callback> shifted;
  for (auto& [key, callback] : entries_) {
    shifted.emplace(std::make_pair(key.first + delta, key.second), std::move(callback));
    times_[key.second] = key.first + delta;
  }
  entries_.swap(shifted);
}

}  // namespace platform
