// The English screen at launch and its button: the stack and the black bar
// at launch, presses with and without vibration, the pressed overlay that
// darkens the button from touch-down to touch-up (or a cancel), and runs
// that give the same journal and pictures every time.

#include <gtest/gtest.h>

#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

class ButtonScreens : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  TempDir dir_;
};

TEST_F(ButtonScreens, LaunchShowsTheEnglishScreenUnderABlackBar) {
  auto run = AppRun::headless(home(), "screenshot launch\nviews launch\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  ASSERT_FALSE(run.events.empty());
  EXPECT_EQ(run.events.front().type, "navigation");
  EXPECT_EQ(run.events.front().t, 0);
  EXPECT_EQ(run.lastStack(), std::vector<std::string>{"Vorla Button"});

  auto shot = run.screenshot("launch");
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(shot->pixelWidth(), 320);
  EXPECT_EQ(shot->pixelHeight(), 480);
  EXPECT_TRUE(isNearlyBlack(pixelAt(*shot, 10, 42))) << "the navigation bar is black";
  EXPECT_FALSE(isNearlyBlack(pixelAt(*shot, 5, 450))) << "the grouped background shows below";
  const auto dump = run.file("launch.json");
  EXPECT_NE(dump.find("\"title\":\"Vorla Button\",\"right\":\"Botón Trimo\""), std::string::npos) << dump;
}

TEST_F(ButtonScreens, PressWithoutThePreferencePlaysWithoutVibration) {
  auto run = AppRun::headless(home(), "tap 160 239\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  auto sounds = run.ofType("sound");
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(sounds[0].file, "ThatWasVorla.wav");
  EXPECT_FALSE(sounds[0].vibrate);
  EXPECT_EQ(run.logLines(), std::vector<std::string>{"Playing sound, no vibrate..."});
}

TEST_F(ButtonScreens, TouchesOffTheButtonPlayNothing) {
  auto run = AppRun::headless(home(), "tap 160 440\ntap 5 70\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_TRUE(run.ofType("sound").empty());
  EXPECT_TRUE(run.logLines().empty());
}

TEST_F(ButtonScreens, OverlayDarkensTheButtonFromDownToUp) {
  auto run = AppRun::headless(home(),
                              "screenshot before\n"
                              "down 160 239\nscreenshot pressed\nviews pressed\n"
                              "up 160 239\nscreenshot after\nviews after\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  auto before = run.screenshot("before");
  auto pressed = run.screenshot("pressed");
  auto after = run.screenshot("after");
  ASSERT_TRUE(before && pressed && after);
  const int lit = pixelAt(*before, 160, 300).brightness();
  EXPECT_LT(pixelAt(*pressed, 160, 300).brightness(), lit * 8 / 10);
  EXPECT_EQ(pixelAt(*after, 160, 300).brightness(), lit);
  EXPECT_NE(run.file("pressed.json").find("\"alpha\":0.5"), std::string::npos);
  EXPECT_EQ(run.file("after.json").find("\"alpha\":0.5"), std::string::npos);
  // The phrase starts on touch-down, once.
  EXPECT_EQ(run.ofType("sound").size(), 1u);
}

TEST_F(ButtonScreens, OverlayGoesWhenTheFingerLiftsElsewhereOrIsCancelled) {
  auto run = AppRun::headless(home(),
                              "down 160 239\nmove 160 450\nup 160 450\nviews slid\n"
                              "down 160 239\ncancel\nviews cancelled\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(run.file("slid.json").find("\"alpha\":0.5"), std::string::npos);
  EXPECT_EQ(run.file("cancelled.json").find("\"alpha\":0.5"), std::string::npos);
  EXPECT_EQ(run.ofType("sound").size(), 2u);
}

TEST_F(ButtonScreens, TheSameScriptGivesTheSameJournalAndPictures) {
  const std::string script = "wait 2.5\ntap 160 239\npress \"Botón Trimo\"\nwait 1\nscreenshot s\n";
  // Pinned: what the app writes must not depend on the day the test runs.
  const std::vector<std::string> pinned = {"--wall-time", "2009-06-02T12:00:00Z"};
  auto first = AppRun::headless(home(), script, pinned);
  auto second = AppRun::headless(home(), script, pinned);
  ASSERT_EQ(first.status, 0) << first.stderrText;
  ASSERT_EQ(second.status, 0) << second.stderrText;
  EXPECT_EQ(first.file("events.jsonl"), second.file("events.jsonl"));
  EXPECT_EQ(first.file("s.png"), second.file("s.png"));
  EXPECT_EQ(first.ofType("sound").at(0).t, 2.5);
}

}  // namespace
}  // namespace e2e
