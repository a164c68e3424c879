// The info screen: the vibrate switch written at once and read by the next
// press, kept across a restart with the same home; the two outside pages.

#include <gtest/gtest.h>

#include <fstream>

#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

// The info button of the one-button screens and the switch on the info
// screen, in portrait screen points.
const std::string kOpenInfo = "tap 297 82\nwait 1\n";
const std::string kToggleSwitch = "tap 258 287\n";

class InfoScreen : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  TempDir dir_;
};

TEST_F(InfoScreen, OpensFromBothOneButtonScreensAndShowsTheSwitchOff) {
  auto run = AppRun::headless(home(), kOpenInfo + "views info\npress \"Vorla Button\"\nwait 1\n"
                                      "press \"Botón Trimo\"\nwait 1\n" + kOpenInfo);
  ASSERT_EQ(run.status, 0) << run.stderrText;
  const auto navigation = run.ofType("navigation");
  ASSERT_EQ(navigation.size(), 5u);
  EXPECT_EQ(navigation[1].stack, (std::vector<std::string>{"Vorla Button", "Info"}));
  EXPECT_EQ(navigation[4].stack, (std::vector<std::string>{"Vorla Button", "Botón Trimo", "Info"}));
  const auto dump = run.file("info.json");
  EXPECT_NE(dump.find("\"on\":false"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"text\":\"Version 3.0\""), std::string::npos);
  EXPECT_NE(dump.find("\"back\":\"Vorla Button\""), std::string::npos);
}

TEST_F(InfoScreen, SwitchIsStoredAtOnceAndSurvivesARestart) {
  auto first = AppRun::headless(home(), kOpenInfo + kToggleSwitch + "press \"Vorla Button\"\nwait 1\ntap 160 239\n");
  ASSERT_EQ(first.status, 0) << first.stderrText;
  auto defaults = first.ofType("defaults");
  ASSERT_EQ(defaults.size(), 1u);
  EXPECT_EQ(defaults[0].key, "shouldVibrate");
  EXPECT_EQ(defaults[0].boolValue, std::optional<bool>(true));
  EXPECT_EQ(first.logLines(), (std::vector<std::string>{"Vibrate on...", "Playing sound, vibrate..."}));
  ASSERT_EQ(first.ofType("sound").size(), 1u);
  EXPECT_TRUE(first.ofType("sound")[0].vibrate);

  // Stored at once: the file already holds it while the app is still up.
  std::ifstream plist(home() + "/Library/Preferences/vorla-button.plist");
  ASSERT_TRUE(plist.good());

  auto second = AppRun::headless(home(), "tap 160 239\n" + kOpenInfo + "views info\n" + kToggleSwitch);
  ASSERT_EQ(second.status, 0) << second.stderrText;
  ASSERT_EQ(second.ofType("sound").size(), 1u);
  EXPECT_TRUE(second.ofType("sound")[0].vibrate);
  EXPECT_NE(second.file("info.json").find("\"on\":true"), std::string::npos);
  EXPECT_EQ(second.logLines(), (std::vector<std::string>{"Playing sound, vibrate...", "Vibrate off..."}));
  ASSERT_EQ(second.ofType("defaults").size(), 1u);
  EXPECT_EQ(second.ofType("defaults")[0].boolValue, std::optional<bool>(false));

  auto third = AppRun::headless(home(), "tap 160 239\n");
  ASSERT_EQ(third.ofType("sound").size(), 1u);
  EXPECT_FALSE(third.ofType("sound")[0].vibrate);
}

TEST_F(InfoScreen, OutsidePagesAreHandedToTheSystem) {
  auto run = AppRun::headless(home(), kOpenInfo + "press \"Donate to me!\"\npress \"Follow me on Twitter!\"\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  auto opened = run.ofType("open-url");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[0].url,
            "https://www.payments.example.org/cgi-bin/webscr?cmd=_donations"
            "&business=donations%40vorla.example.org&lc=US&item_name=Vorla%20Button&currency_code=USD"
            "&bn=PP%2dDonationsBF%3abtn_donateCC_LG%2egif%3aNonHosted");
  EXPECT_EQ(opened[1].url, "https://social.example.org/vorlabutton");
}

}  // namespace
}  // namespace e2e
