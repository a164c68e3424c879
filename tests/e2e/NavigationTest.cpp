// Moving between the screens: the Spanish screen and back, the two-button
// screen on turning to landscape from either one-button screen and the
// return to the English screen in portrait, and the refused upside-down turn.

#include <gtest/gtest.h>

#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

using Stack = std::vector<std::string>;
const std::string kBoth = "Vorla Button" + std::string(35, ' ') + "Botón Trimo";

class Navigation : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  TempDir dir_;
};

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::vector<Stack> stacks(const RunResult& run) {
  std::vector<Stack> all;
  for (const auto& e : run.ofType("navigation")) all.push_back(e.stack);
  return all;
}

TEST_F(Navigation, SpanishScreenAndBack) {
  auto run = AppRun::headless(home(),
                              "press \"Botón Trimo\"\nwait 1\nviews spanish\ntap 160 239\n"
                              "press \"Vorla Button\"\nwait 1\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(stacks(run), (std::vector<Stack>{{"Vorla Button"}, {"Vorla Button", "Botón Trimo"}, {"Vorla Button"}}));
  auto sounds = run.ofType("sound");
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(sounds[0].file, "AsiDeTrimo.wav");
  // The left button takes the place of the back button.
  EXPECT_NE(run.file("spanish.json").find("\"title\":\"Botón Trimo\",\"left\":\"Vorla Button\""), std::string::npos);
}

TEST_F(Navigation, BarButtonTappedWhereTheBarShowsIt) {
  auto run = AppRun::headless(home(), "tap 270 42\nwait 1\ntap 50 42\nwait 1\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(stacks(run), (std::vector<Stack>{{"Vorla Button"}, {"Vorla Button", "Botón Trimo"}, {"Vorla Button"}}));
}

TEST_F(Navigation, LandscapeFromTheEnglishScreenAndBack) {
  auto run = AppRun::headless(home(),
                              "screenshot portrait\nrotate landscape-left\nwait 1\nscreenshot landscape\n"
                              "tap 131 125\ntap 131 355\nrotate landscape-right\nwait 1\nviews right\n"
                              "rotate portrait\nwait 1\nscreenshot back\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(stacks(run), (std::vector<Stack>{{"Vorla Button"}, {"Vorla Button", kBoth}, {"Vorla Button"}}));
  auto sounds = run.ofType("sound");
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[0].file, "ThatWasVorla.wav");  // the left (English) button
  EXPECT_EQ(sounds[1].file, "AsiDeTrimo.wav");    // the right (Spanish) button

  auto portrait = run.screenshot("portrait");
  auto landscape = run.screenshot("landscape");
  auto back = run.screenshot("back");
  ASSERT_TRUE(portrait && landscape && back);
  // Landscape-left: the bar runs down the right edge of the portrait screen
  // where the button was, and the top edge shows the grouped background.
  EXPECT_FALSE(isNearlyBlack(pixelAt(*portrait, 278, 240)));
  EXPECT_TRUE(isNearlyBlack(pixelAt(*landscape, 278, 240)));
  EXPECT_FALSE(isNearlyBlack(pixelAt(*landscape, 160, 5)));
  EXPECT_TRUE(isNearlyBlack(pixelAt(*back, 10, 42)));
  // Turning between the landscapes changes nothing: the same two buttons.
  const auto right = run.file("right.json");
  EXPECT_EQ(occurrences(right, "\"class\":\"ImageView\""), 2u) << right;
  EXPECT_NE(right.find("\"title\":\"" + kBoth + "\""), std::string::npos) << right;
}

TEST_F(Navigation, TapsRightAfterATurnLandOnTheTurnedScreenWithoutAScreenshot) {
  // No screenshot or dump anywhere: a touch must find the views where the
  // turn put them, as in the window. In landscape-right the Spanish button
  // lies at the top of the portrait screen; back in portrait the lower part
  // of the English button must answer too.
  auto run = AppRun::headless(home(), "rotate landscape-left\nwait 1\ntap 131 355\n"
                                      "rotate landscape-right\nwait 1\ntap 189 125\n"
                                      "rotate portrait\nwait 1\ntap 160 380\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  std::vector<std::string> played;
  for (const auto& sound : run.ofType("sound")) played.push_back(sound.file);
  EXPECT_EQ(played, (std::vector<std::string>{"AsiDeTrimo.wav", "AsiDeTrimo.wav", "ThatWasVorla.wav"}));
  EXPECT_EQ(run.lastStack(), Stack{"Vorla Button"});
}

TEST_F(Navigation, LandscapeFromTheSpanishScreenReturnsToTheEnglishOne) {
  auto run = AppRun::headless(home(), "press \"Botón Trimo\"\nwait 1\nrotate landscape-right\nwait 1\n"
                                      "rotate portrait\nwait 1\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(stacks(run), (std::vector<Stack>{{"Vorla Button"},
                                             {"Vorla Button", "Botón Trimo"},
                                             {"Vorla Button", "Botón Trimo", kBoth},
                                             {"Vorla Button"}}));
}

TEST_F(Navigation, UpsideDownIsRefusedOnEveryButtonScreen) {
  auto run = AppRun::headless(home(), "rotate upside-down\nwait 1\nscreenshot refused\n"
                                      "rotate landscape-left\nwait 1\nrotate upside-down\nwait 1\n"
                                      "screenshot still\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(stacks(run), (std::vector<Stack>{{"Vorla Button"}, {"Vorla Button", kBoth}}));
  auto refused = run.screenshot("refused");
  auto still = run.screenshot("still");
  ASSERT_TRUE(refused && still);
  EXPECT_TRUE(isNearlyBlack(pixelAt(*refused, 10, 42)));
  EXPECT_TRUE(isNearlyBlack(pixelAt(*still, 278, 240)));
}

}  // namespace
}  // namespace e2e
