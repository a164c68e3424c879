#pragma once
// The app's wall clock (Date::now) for a front end whose run loop keeps its
// own time. Headless, the loop's clock is simulated: the wall clock is the
// time the run started at (the real time, unless the user pinned one) plus
// the simulated seconds since, so `wait 86400` makes the app's day pass and
// a pinned start makes two runs of one script write the same journal.
//
// How to use: install() once before the app launches, uninstall() when the
// run ends. Files the app writes meanwhile are stamped on this clock
// (FileManager), so their ages are measured on the clock that stamped them.
//
// Ownership: the installed source shares the loop's clock.

#include <memory>
#include <optional>

#include "platform/foundation/Clock.h"

namespace platform::shell {

class WallClock {
 public:
  // `start`: seconds since 1970 at this moment, or nullopt for the real
  // time now. Later readings add what `clock` has moved since.
  static void install(std::optional<double> start, std::shared_ptr<const Clock> clock);
  // Back to the system clock.
  static void uninstall();
};

}  // namespace platform::shell
