// Numbers the platform writes and reads in text, under a locale whose decimal
// separator is a comma, set up as the window's start-up does it. The C
// library's %f and strtod follow that locale; none of our text may.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "FoundationTestFolder.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/EventJournal.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/DecimalCommaLocale.h"

namespace platform {
namespace {

class DecimalCommaLocaleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!comma_.active()) GTEST_SKIP() << comma_.why();
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the C library follows the locale";
  }
  testing_support::DecimalCommaLocale comma_;
  testing::FoundationTestFolder folder_;
};

TEST_F(DecimalCommaLocaleTest, FixedDecimalsKeepThePoint) {
  EXPECT_EQ(NumberText::fixed(12.5, 6), "12.500000");
  EXPECT_EQ(NumberText::fixed(-3.25, 6), "-3.250000");
  EXPECT_EQ(NumberText::fixed(-0.1234567, 6), "-0.123457");
  EXPECT_EQ(NumberText::fixed(1243944000.5, 6), "1243944000.500000");
  EXPECT_EQ(NumberText::fixed(1e300, 2).size(), 304u) << "no buffer is too small for a double";
  EXPECT_EQ(NumberText::fixed(2.5, 0), "2");
}

TEST_F(DecimalCommaLocaleTest, DatesPreferencesAndLogLinesReadTheSameAsInTheCLocale) {
  DateFormatter formatter;
  formatter.setUsesUTC(true);
  formatter.setDateFormat("HH:mm:ss.SSS");
  EXPECT_EQ(formatter.stringFromDate(Date::dateWithTimeIntervalSince1970(45296.625)), "12:34:56.625");

  // A stored number and a stored text of a number mean the same as anywhere.
  UserDefaults defaults(folder_.file("prefs.plist"));
  defaults.setDoubleForKey(0.75, "ratio");
  defaults.setObjectForKey(PropertyListValue("0.5"), "half");
  defaults.setObjectForKey(PropertyListValue("0,5"), "commaHalf");
  UserDefaults reread(folder_.file("prefs.plist"));
  EXPECT_EQ(reread.doubleForKey("ratio"), 0.75);
  EXPECT_TRUE(reread.boolForKey("half"));
  EXPECT_FALSE(reread.boolForKey("commaHalf")) << "0 followed by text, as in the C locale";

  // The run loop's complaint about stuck work, as the journal records it.
  RunLoop loop(std::make_shared<SimulatedClock>());
  loop.makeCurrent();
  auto journal = EventJournal::openAtPath(folder_.file("events.jsonl"), loop.clock());
  ASSERT_TRUE(journal);
  EventJournal::setCurrent(journal);
  auto stuck = loop.beginWorkInFlight();
  loop.setWorkInFlightCap(0.5);
  loop.settle();
  EventJournal::setCurrent(nullptr);
  const auto lines = FileManager::contentsAtPath(folder_.file("events.jsonl")).value_or("");
  EXPECT_NE(lines.find("did not finish in 0.5 s"), std::string::npos) << lines;
}

}  // namespace
}  // namespace platform
