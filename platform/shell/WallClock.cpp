#include "platform/shell/WallClock.h"

#include "platform/foundation/Date.h"

namespace platform::shell {

void WallClock::install(std::optional<double> start, std::shared_ptr<const Clock> clock) {
  // Read before installing: the real time, not a source left from before.
  Date::setNowSource({});
  const double wallAtStart = start.value_or(Date::now().timeIntervalSince1970());
  const double clockAtStart = clock->now();
  Date::setNowSource([wallAtStart, clockAtStart, clock = std::move(clock)] {
    return wallAtStart + (clock->now() - clockAtStart);
  });
}

void WallClock::uninstall() { Date::setNowSource({}); }

}  // namespace platform::shell
