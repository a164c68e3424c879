#pragma once
// What a LocationManager tells the object that asked for fixes. The manager
// holds its delegate weakly: a delegate that is gone simply gets nothing.

#include <optional>

#include "platform/location/Location.h"

namespace platform::location {

class LocationManager;

class LocationManagerDelegate {
 public:
  virtual ~LocationManagerDelegate() = default;

  // A new fix. `oldLocation` is the fix delivered before it by the same
  // manager, or nullopt for its first. The delegate may stop the manager or
  // drop its last reference to it from here.
  virtual void locationManagerDidUpdateToLocationFromLocation(LocationManager& manager,
                                                              const Location& newLocation,
                                                              const std::optional<Location>& oldLocation) = 0;
};

}  // namespace platform::location
