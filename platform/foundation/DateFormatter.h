#pragma once
// Writes dates as text following a pattern in the usual date-pattern letters,
// in the process's current time zone (the TZ variable is honoured).
//
// Supported fields: yyyy (year, at least four digits), yy (two-digit year),
// y (year, unpadded), MM / M (month), dd / d (day), HH / H (hour 0-23),
// mm / m (minute), ss / s (second), SSS (milliseconds, any run of S gives
// that many leading digits of the fraction). Text in single quotes is copied
// literally ('' is a quote); every other character, letters included, is
// copied as it stands.

#include <string>

#include "platform/foundation/Date.h"

namespace platform {

class DateFormatter {
 public:
  void setDateFormat(std::string format) { dateFormat_ = std::move(format); }
  const std::string& dateFormat() const { return dateFormat_; }

  // Formats in UTC instead of the local time zone.
  void setUsesUTC(bool utc) { usesUTC_ = utc; }

  // Returns the empty string for a date the C library cannot break down
  // (not finite, or years beyond what time_t and struct tm hold), rather
  // than printing garbage.
  std::string stringFromDate(const Date& date) const;

 private:
  std::string dateFormat_;
  bool usesUTC_ = false;
};

}  // namespace platform
