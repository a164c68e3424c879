#pragma once
// GLib's default main context (GTK's events, its timeouts, WebKit's messages
// from its helper processes) embedded in our run loop: each round, the
// context is prepared and queried for its descriptors and timeout, polled
// together with everything else of the loop, checked and dispatched. So
// there is one loop, ours, and GTK and WebKit work runs on it beside timers,
// touches and network callbacks.
//
// How to use: GLibMainContextSource::attachTo(RunLoop::main()); then run the
// loop. Attaching twice to the same loop keeps the first source, so the
// window front end and the web view can both ask for it. The source
// acquires the context for its life.
//
// Ownership: the run loop holds the source (and remembers it as one of its
// attachments); the context is GLib's.

#include <glib.h>

#include <memory>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/RunLoopSource.h"

namespace platform {

class GLibMainContextSource : public RunLoopSource {
  struct Passkey {};

 public:
  // nullptr when the context is owned by another thread.
  static std::shared_ptr<GLibMainContextSource> create();
  // The source driving the default context from `loop`, added on first use;
  // nullptr when the context is owned by another thread.
  static std::shared_ptr<GLibMainContextSource> attachTo(RunLoop& loop);
  // Stops driving the context from `loop` (nothing when it was not).
  static void detachFrom(RunLoop& loop);

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

}  // namespace platform
