#include "ads/PennantLocationManager.h"

#include <cmath>

#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NumberText.h"

namespace pennant {

using platform::Date;
using platform::FileManager;
using platform::location::Location;

namespace {

// Six decimals of a degree: about ten centimetres.
constexpr int kDecimals = 6;

}  // namespace

const std::string& PennantLocationManager::locationCachePath() {
  static const std::string path = [] {
    std::string directory = platform::AppPaths::documentsDirectory() + "/pennant/location_cache";
    FileManager::createDirectoryAtPath(directory);  // a failure only means no cache
    return directory + "/location.txt";
  }();
  return path;
}

platform::location::LocationManager& PennantLocationManager::systemLocationManager() {
  static auto* manager = new std::shared_ptr<platform::location::LocationManager>(
      platform::location::LocationManager::create());
  return **manager;
}

PennantLocationManager& PennantLocationManager::sharedManager() {
  static auto* instance = [] {
    locationCachePath();
    systemLocationManager();
    return new std::shared_ptr<PennantLocationManager>(std::make_shared<PennantLocationManager>(Passkey{}));
  }();
  return **instance;
}

std::string PennantLocationManager::stringForLocation(const Location& location) {
  // Six decimals each, written the same under every locale: this text goes
  // on the wire and into the cache file.
  return platform::NumberText::fixed(location.latitude, kDecimals) + "," +
         platform::NumberText::fixed(location.longitude, kDecimals);
}

std::optional<std::string> PennantLocationManager::locationString() {
  std::lock_guard lock(mutex_);
  if (!locationString_) locationString_ = FileManager::contentsAtPath(locationCachePath());
  return locationString_;
}

void PennantLocationManager::setLocationString(std::optional<std::string> text) {
  std::lock_guard lock(mutex_);
  locationString_ = std::move(text);
}

std::optional<Date> PennantLocationManager::lastUpdated() {
  std::lock_guard lock(mutex_);
  if (!lastUpdated_) lastUpdated_ = FileManager::modificationDateOfItemAtPath(locationCachePath());
  return lastUpdated_;
}

void PennantLocationManager::setLastUpdated(std::optional<Date> date) {
  std::lock_guard lock(mutex_);
  lastUpdated_ = date;
}

bool PennantLocationManager::locationServicesEnabled() const {
  return systemLocationManager().locationServicesEnabled();
}

void PennantLocationManager::writeLocationStringToCache() {
  if (auto text = locationString()) FileManager::writeContentsAtomically(locationCachePath(), *text);
  setLastUpdated(Date::now());
}

void PennantLocationManager::updateIfAppropriate() {
  auto updated = lastUpdated();
  bool stale = !updated || -updated->timeIntervalSinceNow() > kMaximumAge;
  if (locationServicesEnabled() && stale) {
    auto& manager = systemLocationManager();
    manager.setDelegate(weak_from_this());
    manager.startUpdatingLocation();
  }
}

void PennantLocationManager::locationManagerDidUpdateToLocationFromLocation(
    platform::location::LocationManager& manager, const Location& newLocation,
    const std::optional<Location>& /*oldLocation*/) {
  // A position at or next to 0,0 is what a confused receiver reports.
  if (std::fabs(newLocation.latitude) <= 0.001 && std::fabs(newLocation.longitude) <= 0.001) return;
  // Too old to describe where the device is now (a future time is fine).
  if (-newLocation.timestamp.timeIntervalSinceNow() > kMaximumAge) return;
  setLocationString(stringForLocation(newLocation));
  writeLocationStringToCache();
  // Good enough: stop; otherwise every further fix overwrites this one.
  if (newLocation.horizontalAccuracy <= kSufficientAccuracy) manager.stopUpdatingLocation();
}

}  // namespace pennant
