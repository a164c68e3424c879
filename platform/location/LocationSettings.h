#pragma once
// How the simulated location service behaves: whether the user has location
// services switched on, and which fixes it reports once started. The default
// is off with no fixes, so no position leaves the machine unless the user
// configured one.

#include "platform/location/FixSchedule.h"

namespace platform::location {

struct LocationSettings {
  bool servicesEnabled = false;
  FixSchedule fixes;

  bool operator==(const LocationSettings&) const = default;
};

}  // namespace platform::location
