#include "ads/PennantLocationManager.h"

#include <gtest/gtest.h>

#include "AdsTestSupport.h"
#include "platform/foundation/FileManager.h"
#include "platform/location/FixSchedule.h"

namespace pennant {
namespace {

using platform::Date;
using platform::FileManager;
using platform::location::Location;
using platform::location::LocationManager;
using platform::location::LocationSettings;

// Wall time stands still in these tests, so ages compare exactly.
class PennantLocationManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::testHome();
    platform::Date::setNowSource([] { return kNow; });
    FileManager::removeItemAtPath(PennantLocationManager::locationCachePath());
    manager.setLocationString(std::nullopt);
    manager.setLastUpdated(std::nullopt);
    system = LocationManager::createWithSettings(LocationSettings{true, {}});
  }
  void TearDown() override {
    platform::Date::setNowSource({});
    LocationManager::setSystemSettings(LocationSettings{});
  }
  static Location fixAt(double latitude, double longitude, double accuracy, double age) {
    return Location{latitude, longitude, accuracy, Date::dateWithTimeIntervalSince1970(kNow - age)};
  }
  void deliver(const Location& fix) {
    system->startUpdatingLocation();
    manager.locationManagerDidUpdateToLocationFromLocation(*system, fix, std::nullopt);
  }

  static constexpr double kNow = 1700000000.0;
  testing::TestLoop loop;
  PennantLocationManager& manager = (testing::testHome(), PennantLocationManager::sharedManager());
  std::shared_ptr<LocationManager> system;
};

TEST_F(PennantLocationManagerTest, FormatsLocationsWithSixDecimals) {
  EXPECT_EQ(PennantLocationManager::stringForLocation(fixAt(12.5, -3.25, 0, 0)), "12.500000,-3.250000");
  EXPECT_EQ(PennantLocationManager::stringForLocation(fixAt(1.5, -2.25, 0, 0)), "1.500000,-2.250000");
  EXPECT_EQ(PennantLocationManager::stringForLocation(fixAt(-0.1234567, 0, 0, 0)), "-0.123457,0.000000");
}

TEST_F(PennantLocationManagerTest, AcceptsAFixAndCachesItOnDisk) {
  deliver(fixAt(48.85, 2.35, 50, 10));
  EXPECT_EQ(manager.locationString(), "48.850000,2.350000");
  EXPECT_EQ(FileManager::contentsAtPath(PennantLocationManager::locationCachePath()), "48.850000,2.350000");
  ASSERT_TRUE(manager.lastUpdated());
  EXPECT_EQ(manager.lastUpdated()->timeIntervalSince1970(), kNow);
  EXPECT_FALSE(system->isUpdating()) << "50 m is accurate enough";
}

TEST_F(PennantLocationManagerTest, IgnoresPositionsAtZeroZeroAndOldFixes) {
  deliver(fixAt(0.0005, -0.0005, 10, 0));
  EXPECT_EQ(manager.locationString(), std::nullopt);
  deliver(fixAt(1, 1, 10, 86401));
  EXPECT_EQ(manager.locationString(), std::nullopt);
  deliver(fixAt(0.002, 0, 10, 86400));
  EXPECT_EQ(manager.locationString(), "0.002000,0.000000");
  deliver(fixAt(5, 5, 10, -3600));
  EXPECT_EQ(manager.locationString(), "5.000000,5.000000") << "a time in the future is accepted";
}

TEST_F(PennantLocationManagerTest, KeepsUpdatingUntilAFixIsAccurateEnough) {
  deliver(fixAt(10, 10, 201, 0));
  EXPECT_TRUE(system->isUpdating());
  manager.locationManagerDidUpdateToLocationFromLocation(*system, fixAt(11, 11, 200, 0), std::nullopt);
  EXPECT_FALSE(system->isUpdating());
  EXPECT_EQ(manager.locationString(), "11.000000,11.000000");
}

TEST_F(PennantLocationManagerTest, ReadsTheCacheFileAfterARestart) {
  FileManager::writeContentsAtomically(PennantLocationManager::locationCachePath(), "1.000000,2.000000");
  FileManager::setModificationDateOfItemAtPath(PennantLocationManager::locationCachePath(),
                                               Date::dateWithTimeIntervalSince1970(kNow - 3600));
  EXPECT_EQ(manager.locationString(), "1.000000,2.000000");
  ASSERT_TRUE(manager.lastUpdated());
  EXPECT_NEAR(manager.lastUpdated()->timeIntervalSince1970(), kNow - 3600, 0.01);
}

TEST_F(PennantLocationManagerTest, ACachedFixAgesOnTheClockThatWroteItAcrossARestart) {
  deliver(fixAt(48.85, 2.35, 50, 10));
  // A restart: only the file is left, and its date is the fix's age.
  manager.setLocationString(std::nullopt);
  manager.setLastUpdated(std::nullopt);
  ASSERT_TRUE(manager.lastUpdated());
  EXPECT_EQ(manager.lastUpdated()->timeIntervalSince1970(), kNow);

  // Two days later on the same clock the fix is stale and a new one comes.
  std::string error;
  auto fixes = platform::location::FixSchedule::fixedPosition("40.0,-3.5,65", 0, error);
  ASSERT_TRUE(fixes) << error;
  LocationManager::setSystemSettings(LocationSettings{true, *fixes});
  platform::Date::setNowSource([] { return kNow + 2 * 86400; });
  manager.setLastUpdated(std::nullopt);
  manager.updateIfAppropriate();
  loop.runUntil([&] { return manager.locationString() != "48.850000,2.350000"; });
  EXPECT_EQ(manager.locationString(), "40.000000,-3.500000");
  EXPECT_EQ(manager.lastUpdated()->timeIntervalSince1970(), kNow + 2 * 86400);
}

TEST_F(PennantLocationManagerTest, UpdatesOnlyWhenEnabledAndStale) {
  std::string error;
  auto fixes = platform::location::FixSchedule::fixedPosition("40.0,-3.5,65", 0, error);
  ASSERT_TRUE(fixes) << error;

  // Modified two days ago, services on: a fix is asked for and arrives.
  LocationManager::setSystemSettings(LocationSettings{true, *fixes});
  FileManager::writeContentsAtomically(PennantLocationManager::locationCachePath(), "1.000000,2.000000");
  FileManager::setModificationDateOfItemAtPath(PennantLocationManager::locationCachePath(),
                                               Date::dateWithTimeIntervalSince1970(kNow - 2 * 86400));
  manager.updateIfAppropriate();
  EXPECT_EQ(manager.locationString(), "1.000000,2.000000") << "the fix arrives later";
  loop.runUntil([&] { return manager.locationString() != "1.000000,2.000000"; });
  EXPECT_EQ(manager.locationString(), "40.000000,-3.500000");

  // Fresh now: nothing is asked for.
  LocationManager::setSystemSettings(LocationSettings{true, platform::location::FixSchedule(
                                                                {{0, 50, 50, 10, 0}})});
  manager.setLastUpdated(Date::dateWithTimeIntervalSince1970(kNow - 3600));
  manager.updateIfAppropriate();
  loop.runUntil([] { return false; });
  EXPECT_EQ(manager.locationString(), "40.000000,-3.500000");

  // Stale but services off: nothing either.
  LocationManager::setSystemSettings(LocationSettings{false, platform::location::FixSchedule(
                                                                 {{0, 50, 50, 10, 0}})});
  manager.setLastUpdated(std::nullopt);
  FileManager::removeItemAtPath(PennantLocationManager::locationCachePath());
  EXPECT_FALSE(manager.locationServicesEnabled());
  manager.updateIfAppropriate();
  loop.runUntil([] { return false; });
  EXPECT_EQ(manager.locationString(), "40.000000,-3.500000");
}

}  // namespace
}  // namespace pennant
