#pragma once
// Reads a point in time written in the common ISO 8601 extended form, for
// command-line values such as the wall clock a run starts at:
//   2009-06-02                      midnight UTC of that day
//   2009-06-02T12:00:00Z            ("T" or one space between date and time)
//   2009-06-02T12:00                (seconds may be left out)
//   2009-06-02T14:00:00.250+02:00   (fractions; offsets +hh:mm, +hhmm, +hh)
// A time without an offset is UTC, so the value means the same instant on
// every machine whatever its time zone. Years run from 0000 to 9999; days
// are checked against their month (2009-02-29 is refused).

#include <optional>
#include <string_view>

#include "platform/foundation/Date.h"

namespace platform {

class Iso8601DateParser {
 public:
  // nullopt for anything that is not exactly one such date.
  static std::optional<Date> dateFromString(std::string_view text);
};

}  // namespace platform
