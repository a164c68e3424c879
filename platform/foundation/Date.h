#pragma once
// A point in wall-clock time, held as seconds since 1970-01-01 00:00:00 UTC.
// Dates are small values: copy them freely. `now()` reads the system clock
// unless a front end installed its own source (the headless driver pins wall
// time so that screenshots and journals do not depend on the day they ran).

#include <functional>

namespace platform {

class Date {
 public:
  // The epoch itself.
  Date() = default;

  static Date now();
  static Date dateWithTimeIntervalSince1970(double seconds);

  // Replaces the source of `now()`; an empty function restores the system
  // clock. Meant to be called once at start-up, before other threads exist.
  static void setNowSource(std::function<double()> secondsSince1970);
  // Whether now() reads the system clock, that is no source is installed.
  static bool isSystemTime();

  double timeIntervalSince1970() const { return seconds_; }
  // Negative for dates in the past.
  double timeIntervalSinceNow() const;
  double timeIntervalSinceDate(const Date& other) const { return seconds_ - other.seconds_; }
  Date dateByAddingTimeInterval(double seconds) const { return Date(seconds_ + seconds); }

  auto operator<=>(const Date&) const = default;

 private:
  explicit Date(double seconds) : seconds_(seconds) {}

  double seconds_ = 0.0;
};

}  // namespace platform
