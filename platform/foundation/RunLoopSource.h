#pragma once
// An extension point for event sources that bring their own poll cycle, such
// as an embedded GLib main context: the run loop asks every source for its
// file descriptors and its longest acceptable wait before it blocks, hands
// back what poll() saw, and dispatches the sources that are ready.
//
// The run loop holds registered sources with a std::shared_ptr until they are
// removed. A source may remove itself (or others) from inside dispatch().

#include <poll.h>

#include <span>
#include <vector>

namespace platform {

class RunLoopSource {
 public:
  virtual ~RunLoopSource() = default;

  // Appends the descriptors to poll (with their events) to `fds` and returns
  // the longest time, in milliseconds of real time, the loop may block for
  // this source: -1 for no limit, 0 when the source is ready already.
  virtual int prepare(std::vector<pollfd>& fds) = 0;

  // Receives the entries this source appended in prepare(), with revents
  // filled in; returns true when dispatch() should run.
  virtual bool check(std::span<const pollfd> fds) = 0;

  virtual void dispatch() = 0;
};

}  // namespace platform
