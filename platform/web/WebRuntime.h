#pragma once
// What every web view of the process shares: a display for the engine (a
// private Xvfb when none is set), GTK, GLib's main context driven by the
// web view's run loop, and one engine context with its settings.
//
//   auto& runtime = WebRuntime::shared();
//   if (!runtime.prepare(RunLoop::current())) log(runtime.failure());
//
// The engine context is ephemeral: pages keep cookies, caches and storage in
// memory only, never in the user's folders, and a new run starts clean.
// Downloads are refused at the context, whatever started them. Web content
// may not read local files.
//
// Ownership: a process-wide object, created on first use and never
// destroyed (the engine's helper processes end with ours).

#include <webkit2/webkit2.h>

#include <string>

#include "platform/foundation/RunLoop.h"

namespace platform::web {

class WebRuntime {
 public:
  static WebRuntime& shared();

  // Makes the engine usable from `loop`. Returns false, with failure(),
  // when there is no display and none can be started; the answer does not
  // change for the rest of the process.
  bool prepare(RunLoop& loop);
  const std::string& failure() const { return failure_; }

  // Valid after a successful prepare().
  WebKitWebContext* context() const { return context_; }
  WebKitSettings* settings() const { return settings_; }

 private:
  WebRuntime() = default;
  bool initializeToolkit();
  void createContext();

  enum class State { Unprepared, Ready, Failed };
  State state_ = State::Unprepared;
  std::string failure_;
  WebKitWebContext* context_ = nullptr;
  WebKitSettings* settings_ = nullptr;
};

}  // namespace platform::web
