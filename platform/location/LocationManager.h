#pragma once
// The platform's location service. There is no positioning hardware: fixes
// come from LocationSettings (a fixed position or a file of timed fixes),
// replayed on the run loop.
//
// How to use it:
//   auto manager = LocationManager::create();
//   manager->setDelegate(self);                 // held weakly
//   if (manager->locationServicesEnabled()) manager->startUpdatingLocation();
//   ... locationManagerDidUpdateToLocationFromLocation(*manager, fix, previous)
//   manager->stopUpdatingLocation();
//
// After startUpdatingLocation() each fix of the schedule is delivered at its
// delay after the start, on the run loop current at the start (a fixed
// position: once, at the loop's next turn), until stopUpdatingLocation(),
// which cancels what is still pending. Starting while updating changes
// nothing; starting again after a stop replays the schedule from its
// beginning. With location services off, starting does nothing at all.
//
// Ownership: the caller owns the manager. Pending deliveries hold it only
// weakly, so a manager that is dropped while updating stops with it. The
// delegate is not owned.

#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/location/Location.h"
#include "platform/location/LocationManagerDelegate.h"
#include "platform/location/LocationSettings.h"

namespace platform::location {

class LocationManager : public std::enable_shared_from_this<LocationManager> {
  struct Passkey {};

 public:
  // The user's settings for the whole process, set by the front end at
  // start-up; managers made by create() read them each time they are asked,
  // so a manager created before the front end configured them still obeys.
  static void setSystemSettings(LocationSettings settings);
  static const LocationSettings& systemSettings();

  // A manager following the system settings.
  static std::shared_ptr<LocationManager> create();
  // A manager with settings of its own, whatever the system settings say.
  static std::shared_ptr<LocationManager> createWithSettings(LocationSettings settings);

  explicit LocationManager(Passkey, std::optional<LocationSettings> settings);
  ~LocationManager();
  LocationManager(const LocationManager&) = delete;
  LocationManager& operator=(const LocationManager&) = delete;

  bool locationServicesEnabled() const;

  std::weak_ptr<LocationManagerDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<LocationManagerDelegate> delegate) { delegate_ = std::move(delegate); }

  void startUpdatingLocation();
  void stopUpdatingLocation();
  bool isUpdating() const { return updating_; }

  // The last fix delivered, kept across stops; nullopt before the first.
  const std::optional<Location>& location() const { return location_; }

 private:
  const LocationSettings& settings() const;
  void cancelPending();
  void deliver(std::size_t pendingIndex, const FixSchedule::Fix& fix);

  std::optional<LocationSettings> settings_;  // nullopt: the system settings
  std::weak_ptr<LocationManagerDelegate> delegate_;
  bool updating_ = false;
  RunLoop* loop_ = nullptr;  // the loop the pending deliveries are on
  std::weak_ptr<void> loopLifetime_;
  std::vector<RunLoop::CallbackId> pending_;  // 0 once delivered
  std::optional<Location> location_;
};

}  // namespace platform::location
