#include "platform/foundation/Date.h"

#include <chrono>
#include <utility>

namespace platform {

namespace {

std::function<double()>& nowSource() {
  static std::function<double()> source;
  return source;
}

}  // namespace

Date Date::now() {
  if (const auto& source = nowSource()) {
    return Date(source());
  }
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return Date(std::chrono::duration<double>(sinceEpoch).count());
}

Date Date::dateWithTimeIntervalSince1970(double seconds) { return Date(seconds); }

void Date::setNowSource(std::function<double()> secondsSince1970) {
  nowSource() = std::move(secondsSince1970);
}

bool Date::isSystemTime() { return !nowSource(); }

double Date::timeIntervalSinceNow() const { return seconds_ - now().seconds_; }

}  // namespace platform
