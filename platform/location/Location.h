#pragma once
// One position fix as the location service reports it: a value, copied
// freely. The accuracy is the radius in metres within which the true position
// lies; the timestamp is when the fix was taken, which may lie well before
// its delivery (a cached fix is handed out first).

#include "platform/foundation/Date.h"

namespace platform::location {

struct Location {
  double latitude = 0.0;   // degrees, north positive
  double longitude = 0.0;  // degrees, east positive
  double horizontalAccuracy = 0.0;
  Date timestamp;

  bool operator==(const Location&) const = default;
};

}  // namespace platform::location
