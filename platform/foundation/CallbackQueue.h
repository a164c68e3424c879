#pragma once
// The run loop's ordered list of pending calls: callbacks due at a time, run
// in time order and, at equal times, in the order they were scheduled (the
// identifiers, handed out in increasing order by the run loop, break ties).
// Internal to the run loop; it has no notion of "now" of its own.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace platform {

class CallbackQueue {
 public:
  using Callback = std::function<void()>;
  using Id = std::uint64_t;

  void add(Id id, double time, Callback callback);
  // Returns false when `id` is not pending (already run or cancelled).
  bool cancel(Id id);

  // The earliest pending time, if any.
  std::optional<double> nextTime() const;

  // Removes and returns the first callback due at or before `time` among
  // those with an identifier below `limit`; later ones wait for the next
  // round so a callback that reschedules itself cannot starve the loop.
  std::optional<Callback> takeDue(double time, Id limit);

  // Moves every pending time by `delta` (used when the clock is replaced).
  void shiftAll(double delta);

  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }

 private:
  std::map<std::pair<double, Id>, Callback> entries_;
  std::unordered_map<Id, double> times_;
};

}  // namespace platform
