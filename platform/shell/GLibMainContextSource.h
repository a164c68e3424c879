#pragma once
// GLib's default main context (GTK's events, its timeouts) embedded in our
// run loop: each round, the context is prepared and queried for its
// descriptors and timeout, polled together with everything else of the
// loop, checked and dispatched. So there is one loop, ours, and GTK work
// runs on it beside timers, touches and network callbacks.
//
// How to use: RunLoop::main().addSource(GLibMainContextSource::create());
// then RunLoop::main().run(). The source acquires the context for its life.
//
// Ownership: the run loop holds the source; the context is GLib's.

#include <glib.h>

#include <memory>
#include <vector>

#include "platform/foundation/RunLoopSource.h"

namespace platform::shell {

class GLibMainContextSource : public RunLoopSource {
  struct Passkey {};

 public:
  // nullptr when the context is owned by another thread.
  static std::shared_ptr<GLibMainContextSource> create();

  explicit GLibMainContextSource(Passkey, GMainContext* context);
  ~GLibMainContextSource() override;
  GLibMainContextSource(const GLibMainContextSource&) = delete;
  GLibMainContextSource& operator=(const GLibMainContextSource&) = delete;

  int prepare(std::vector<pollfd>& fds) override;
  bool check(std::span<const pollfd> fds) override;
  void dispatch() override;

 private:
  GMainContext* context_;
  std::vector<GPollFD> pollFds_;
  gint priority_ = 0;
  bool prepared_ = false;
};

}  // namespace platform::shell
