// The headless wall clock against real file times: by default a run starts
// at the real time, so cached files written by earlier runs (or anyone else)
// have their true ages; --wall-time pins the start for runs that must be
// reproducible, and what such a run writes is dated on its own clock.

#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/Date.h"
#include "platform/foundation/FileManager.h"
#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

using platform::Date;
using platform::FileManager;

constexpr double kDay = 86400;
const char* const kIcons[] = {"back", "back_disable", "forward", "forward_disable"};

class WallClock : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  std::string iconPath(const char* name) const { return home() + "/Documents/pennant/image_cache/" + name; }
  static std::size_t iconDownloads(const RunResult& run) {
    std::size_t count = 0;
    for (const auto& e : run.ofType("http"))
      if (e.url.find("/static/iphone/browser/") != std::string::npos) ++count;
    return count;
  }
  TempDir dir_;
};

TEST_F(WallClock, ABrowserIconCached37DaysAgoIsFetchedAgain) {
  AdServerProcess server(dir_.path(), "bench/inventory-text");
  ASSERT_FALSE(server.url().empty());
  auto first = AppRun::headless(home(), "wait 1\n", server.hostArguments());
  ASSERT_EQ(first.status, 0) << first.stderrText;
  EXPECT_EQ(iconDownloads(first), 4u) << "an empty cache";
  auto again = AppRun::headless(home(), "wait 1\n", server.hostArguments());
  EXPECT_EQ(iconDownloads(again), 0u) << "icons fetched a moment ago are fresh";

  // The icons' files now say they were written 37 days ago, real time.
  const Date longAgo = Date::now().dateByAddingTimeInterval(-37 * kDay);
  for (const char* icon : kIcons) ASSERT_TRUE(FileManager::setModificationDateOfItemAtPath(iconPath(icon), longAgo));
  auto later = AppRun::headless(home(), "wait 1\n", server.hostArguments());
  ASSERT_EQ(later.status, 0) << later.stderrText;
  EXPECT_EQ(iconDownloads(later), 4u);
  EXPECT_EQ(later.adLogLines(), std::vector<std::string>{"Pennant: Did receive ad"});
  const auto stored = FileManager::modificationDateOfItemAtPath(iconPath("back"));
  ASSERT_TRUE(stored);
  EXPECT_LT(std::fabs(stored->timeIntervalSinceNow()), 60) << "the fresh copy carries today's date";
}

TEST_F(WallClock, APinnedRunDatesWhatItWritesOnItsOwnClock) {
  AdServerProcess server(dir_.path(), "bench/inventory-text");
  ASSERT_FALSE(server.url().empty());
  std::vector<std::string> pinned = server.hostArguments();
  pinned.insert(pinned.end(), {"--wall-time", "2009-06-02T12:00:00Z"});
  auto run = AppRun::headless(home(), "wait 30\n", pinned);
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(iconDownloads(run), 4u);
  // Stored at launch, on the pinned clock.
  const auto stored = FileManager::modificationDateOfItemAtPath(iconPath("back"));
  ASSERT_TRUE(stored);
  EXPECT_NEAR(stored->timeIntervalSince1970(), 1243944000, 1);

  // Another pinned run 36 days later still finds them fresh; one a day past
  // the limit does not; and a run at the real time sees them as years old.
  pinned.back() = "2009-07-08T12:00:00Z";
  EXPECT_EQ(iconDownloads(AppRun::headless(home(), "wait 1\n", pinned)), 0u);
  pinned.back() = "2009-07-10T12:00:00Z";
  EXPECT_EQ(iconDownloads(AppRun::headless(home(), "wait 1\n", pinned)), 4u);
  for (const char* icon : kIcons)
    ASSERT_TRUE(FileManager::setModificationDateOfItemAtPath(iconPath(icon), *stored));
  EXPECT_EQ(iconDownloads(AppRun::headless(home(), "wait 1\n", server.hostArguments())), 4u);
}

}  // namespace
}  // namespace e2e
