#pragma once
// The library's own last known position: it asks the platform's location
// service for a fix at most about once a day, keeps the last accepted fix as
// "%f,%f" text, and caches that text in <Documents>/pennant/location_cache/
// location.txt so it survives restarts (the file's modification time is the
// fix's age after a restart).
//
// A singleton (`sharedManager`), created on first use and never destroyed; it
// is the delegate of one platform location manager that exists, idle, from
// the class's first use. Ad requests use it only when the host allows
// location use.

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/location/Location.h"
#include "platform/location/LocationManager.h"
#include "platform/location/LocationManagerDelegate.h"

namespace pennant {

class PennantLocationManager : public platform::location::LocationManagerDelegate,
                               public std::enable_shared_from_this<PennantLocationManager> {
 public:
  // A fix older than this is ignored, and a cached one this old is stale.
  static constexpr double kMaximumAge = 86400.0;
  // A fix this accurate (metres) ends the updates.
  static constexpr double kSufficientAccuracy = 200.0;

  static PennantLocationManager& sharedManager();
  static const std::string& locationCachePath();
  static platform::location::LocationManager& systemLocationManager();

  // "%f,%f": latitude and longitude with six decimals.
  static std::string stringForLocation(const platform::location::Location& location);

  // Read from the cache file the first time they are asked while unset.
  std::optional<std::string> locationString();
  void setLocationString(std::optional<std::string> text);
  std::optional<platform::Date> lastUpdated();
  void setLastUpdated(std::optional<platform::Date> date);

  bool locationServicesEnabled() const;
  // Writes `locationString` as the whole cache file, then sets `lastUpdated`
  // to now. Failures are ignored.
  void writeLocationStringToCache();
  // Starts the platform's updates when services are on and the cached
  // position is missing or more than a day old.
  void updateIfAppropriate();

  void locationManagerDidUpdateToLocationFromLocation(
      platform::location::LocationManager& manager, const platform::location::Location& newLocation,
      const std::optional<platform::location::Location>& oldLocation) override;

  PennantLocationManager(const PennantLocationManager&) = delete;
  PennantLocationManager& operator=(const PennantLocationManager&) = delete;

 private:
  struct Passkey {};

 public:
  explicit PennantLocationManager(Passkey) {}

 private:
  // The properties are atomic: one lock for both.
  mutable std::mutex mutex_;
  std::optional<std::string> locationString_;
  std::optional<platform::Date> lastUpdated_;
};

}  // namespace pennant
