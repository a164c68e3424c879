#include "platform/location/LocationManager.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/foundation/SimulatedClock.h"

namespace platform::location {
namespace {

using Fix = FixSchedule::Fix;

constexpr double kWallClock = 1'700'000'000.0;

struct Delivery {
  double time;  // on the run loop's clock
  Location newLocation;
  std::optional<Location> oldLocation;
  LocationManager* manager;
};

class RecordingDelegate : public LocationManagerDelegate {
 public:
  explicit RecordingDelegate(RunLoop& loop) : loop_(loop) {}

  void locationManagerDidUpdateToLocationFromLocation(LocationManager& manager, const Location& newLocation,
                                                      const std::optional<Location>& oldLocation) override {
    deliveries.push_back({loop_.now(), newLocation, oldLocation, &manager});
    if (onDelivery) {
      onDelivery(manager);
    }
  }

  std::vector<Delivery> deliveries;
  std::function<void(LocationManager&)> onDelivery;

 private:
  RunLoop& loop_;
};

class LocationManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loop_.makeCurrent();
    Date::setNowSource([] { return kWallClock; });
  }
  void TearDown() override {
    Date::setNowSource({});
    LocationManager::setSystemSettings({});
  }

  std::shared_ptr<LocationManager> managerWith(std::vector<Fix> fixes, bool enabled = true) {
    auto manager = LocationManager::createWithSettings({enabled, FixSchedule(std::move(fixes))});
    manager->setDelegate(delegate_);
    return manager;
  }

  std::vector<double> deliveryTimes() const {
    std::vector<double> times;
    for (const auto& d : delegate_->deliveries) {
      times.push_back(d.time);
    }
    return times;
  }

  RunLoop loop_{std::make_shared<SimulatedClock>()};
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>(loop_);
};

TEST_F(LocationManagerTest, FixedPositionArrivesOnceAtTheNextTurn) {
  std::string error;
  auto fixed = FixSchedule::fixedPosition("12.5,-3.25,65", 30, error);
  ASSERT_TRUE(fixed);
  auto manager = LocationManager::createWithSettings({true, *fixed});
  manager->setDelegate(delegate_);
  loop_.advanceBy(7);
  manager->startUpdatingLocation();
  EXPECT_TRUE(manager->isUpdating());
  EXPECT_TRUE(delegate_->deliveries.empty()) << "delivered inside start";
  loop_.runPending();
  ASSERT_EQ(delegate_->deliveries.size(), 1u);
  const Delivery& d = delegate_->deliveries[0];
  EXPECT_EQ(d.time, 7);
  EXPECT_EQ(d.manager, manager.get());
  EXPECT_EQ(d.newLocation, (Location{12.5, -3.25, 65, Date::dateWithTimeIntervalSince1970(kWallClock - 30)}));
  EXPECT_FALSE(d.oldLocation);
  loop_.advanceBy(10000);
  EXPECT_EQ(delegate_->deliveries.size(), 1u);
  EXPECT_TRUE(manager->isUpdating());
  EXPECT_EQ(manager->location(), d.newLocation);
}

TEST_F(LocationManagerTest, ScheduledFixesArriveAtTheirDelaysInTimeOrder) {
  auto manager = managerWith({{12.5, 3, 3, 30, 0}, {0, 1, 1, 10, 0}, {5, 2, 2, 20, -60}, {5, 4, 4, 40, 0}});
  loop_.advanceBy(100);
  manager->startUpdatingLocation();
  loop_.advanceBy(5);
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{100, 105, 105}));
  loop_.advanceBy(50);
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{100, 105, 105, 112.5}));
  const auto& d = delegate_->deliveries;
  // Equal delays keep the file's order; each fix reports the one before it.
  EXPECT_EQ(d[1].newLocation.latitude, 2);
  EXPECT_EQ(d[2].newLocation.latitude, 4);
  EXPECT_EQ(d[3].oldLocation, d[2].newLocation);
  EXPECT_EQ(d[2].oldLocation, d[1].newLocation);
  // A negative age dates the fix in the future.
  EXPECT_EQ(d[1].newLocation.timestamp.timeIntervalSince1970(), kWallClock + 60);
}

TEST_F(LocationManagerTest, StopCancelsWhatIsPending) {
  auto manager = managerWith({{0, 1, 1, 10, 0}, {5, 2, 2, 10, 0}, {9, 3, 3, 10, 0}});
  manager->startUpdatingLocation();
  loop_.advanceBy(6);
  manager->stopUpdatingLocation();
  EXPECT_FALSE(manager->isUpdating());
  EXPECT_FALSE(loop_.nextFireTime()) << "a cancelled delivery is still queued";
  loop_.advanceBy(100);
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{0, 5}));
}

TEST_F(LocationManagerTest, TheDelegateMayStopOnTheFirstFix) {
  auto manager = managerWith({{3, 1, 1, 500, 0}, {3, 2, 2, 100, 0}, {4, 3, 3, 50, 0}});
  delegate_->onDelivery = [](LocationManager& m) { m.stopUpdatingLocation(); };
  manager->startUpdatingLocation();
  loop_.advanceBy(10);
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{3}));
}

TEST_F(LocationManagerTest, StartingWhileUpdatingChangesNothing) {
  auto manager = managerWith({{0, 1, 1, 10, 0}, {5, 2, 2, 10, 0}});
  manager->startUpdatingLocation();
  loop_.advanceBy(3);
  manager->startUpdatingLocation();
  loop_.advanceBy(100);
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{0, 5}));
}

TEST_F(LocationManagerTest, RestartReplaysFromTheNewStartAndRemembersTheLastFix) {
  auto manager = managerWith({{0, 1, 1, 10, 0}, {5, 2, 2, 10, 0}});
  manager->startUpdatingLocation();
  loop_.advanceBy(1);
  manager->stopUpdatingLocation();
  loop_.advanceBy(9);
  manager->startUpdatingLocation();
  loop_.advanceBy(100);
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{0, 10, 15}));
  EXPECT_EQ(delegate_->deliveries[1].oldLocation, delegate_->deliveries[0].newLocation);
}

TEST_F(LocationManagerTest, DisabledServicesNeverStart) {
  auto manager = managerWith({{0, 1, 1, 10, 0}}, false);
  EXPECT_FALSE(manager->locationServicesEnabled());
  manager->startUpdatingLocation();
  EXPECT_FALSE(manager->isUpdating());
  loop_.advanceBy(100);
  EXPECT_TRUE(delegate_->deliveries.empty());
  EXPECT_FALSE(manager->location());
}

TEST_F(LocationManagerTest, SystemSettingsAreReadWhenNeeded) {
  auto manager = LocationManager::create();
  manager->setDelegate(delegate_);
  EXPECT_FALSE(manager->locationServicesEnabled()) << "location must be off unless configured";
  manager->startUpdatingLocation();
  loop_.advanceBy(1);
  EXPECT_TRUE(delegate_->deliveries.empty());

  LocationManager::setSystemSettings({true, FixSchedule({{2, 5, 6, 7, 0}})});
  EXPECT_TRUE(manager->locationServicesEnabled());
  manager->startUpdatingLocation();
  loop_.advanceBy(5);
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{3}));
  // A manager with its own settings ignores the system's.
  EXPECT_FALSE(managerWith({}, false)->locationServicesEnabled());
}

TEST_F(LocationManagerTest, WithoutADelegateFixesStillUpdateTheLocation) {
  auto manager = managerWith({{1, 1, 1, 10, 0}});
  delegate_.reset();
  manager->startUpdatingLocation();
  loop_.advanceBy(2);
  ASSERT_TRUE(manager->location());
  EXPECT_EQ(manager->location()->latitude, 1);
}

TEST_F(LocationManagerTest, ADroppedManagerDeliversNothing) {
  auto manager = managerWith({{1, 1, 1, 10, 0}, {2, 2, 2, 10, 0}});
  manager->startUpdatingLocation();
  manager.reset();
  EXPECT_FALSE(loop_.nextFireTime()) << "the dead manager's deliveries stay queued";
  loop_.advanceBy(5);
  EXPECT_TRUE(delegate_->deliveries.empty());
}

TEST_F(LocationManagerTest, TheDelegateMayDropTheManagerDuringDelivery) {
  auto manager = managerWith({{1, 1, 1, 10, 0}, {1, 2, 2, 10, 0}});
  std::weak_ptr<LocationManager> weak = manager;
  delegate_->onDelivery = [&manager](LocationManager& m) {
    manager.reset();
    // Still usable until the delivery returns.
    EXPECT_TRUE(m.isUpdating());
    EXPECT_EQ(m.location()->latitude, 1);
  };
  manager->startUpdatingLocation();
  loop_.advanceBy(5);
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(deliveryTimes(), (std::vector<double>{1}));
}

TEST(LocationManagerLoop, OutlivingItsRunLoopIsHarmless) {
  auto manager = LocationManager::createWithSettings({true, FixSchedule({{1, 1, 1, 10, 0}})});
  {
    RunLoop loop(std::make_shared<SimulatedClock>());
    loop.makeCurrent();
    manager->startUpdatingLocation();
  }
  manager->stopUpdatingLocation();
  EXPECT_FALSE(manager->isUpdating());
}

}  // namespace
}  // namespace platform::location
