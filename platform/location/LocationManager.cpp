#include "platform/location/LocationManager.h"

#include "platform/foundation/Date.h"

namespace platform::location {

namespace {

LocationSettings& processSettings() {
  static auto* settings = new LocationSettings();
  return *settings;
}

}  // namespace

void LocationManager::setSystemSettings(LocationSettings settings) {
  processSettings() = std::move(settings);
}

const LocationSettings& LocationManager::systemSettings() { return processSettings(); }

std::shared_ptr<LocationManager> LocationManager::create() {
  return std::make_shared<LocationManager>(Passkey{}, std::nullopt);
}

std::shared_ptr<LocationManager> LocationManager::createWithSettings(LocationSettings settings) {
  return std::make_shared<LocationManager>(Passkey{}, std::move(settings));
}

LocationManager::LocationManager(Passkey, std::optional<LocationSettings> settings)
    : settings_(std::move(settings)) {}

LocationManager::~LocationManager() { cancelPending(); }

const LocationSettings& LocationManager::settings() const {
  return settings_ ? *settings_ : processSettings();
}

bool LocationManager::locationServicesEnabled() const { return settings().servicesEnabled; }

void LocationManager::startUpdatingLocation() {
  if (updating_ || !locationServicesEnabled()) {
    return;
  }
  updating_ = true;
  loop_ = &RunLoop::current();
  loopLifetime_ = loop_->lifetime();
  // The schedule is copied into the callbacks: settings changed while
  // updating take effect at the next start, not half-way through a replay.
  const std::vector<FixSchedule::Fix>& fixes = settings().fixes.fixes();
  pending_.assign(fixes.size(), 0);
  std::weak_ptr<LocationManager> weakSelf = weak_from_this();
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    pending_[i] = loop_->performAfterDelay(fixes[i].delay, [weakSelf, i, fix = fixes[i]] {
      if (auto self = weakSelf.lock()) {
        self->deliver(i, fix);
      }
    });
  }
}

void LocationManager::stopUpdatingLocation() {
  cancelPending();
  updating_ = false;
}

void LocationManager::cancelPending() {
  if (loop_ != nullptr && !loopLifetime_.expired()) {
    for (RunLoop::CallbackId id : pending_) {
      if (id != 0) {
        loop_->cancelPerform(id);
      }
    }
  }
  pending_.clear();
}

void LocationManager::deliver(std::size_t pendingIndex, const FixSchedule::Fix& fix) {
  if (pendingIndex < pending_.size()) {
    pending_[pendingIndex] = 0;
  }
  if (!updating_) {
    return;
  }
  const Location location{fix.latitude, fix.longitude, fix.horizontalAccuracy,
                          Date::now().dateByAddingTimeInterval(-fix.age)};
  const std::optional<Location> previous = location_;
  location_ = location;
  // The delegate may stop this manager or drop the last reference to it.
  auto protector = shared_from_this();
  if (auto delegate = delegate_.lock()) {
    delegate->locationManagerDidUpdateToLocationFromLocation(*this, location, previous);
  }
}

}  // namespace platform::location
