// How a headless run ends: a script that does not parse stops before
// anything runs with status 2 and its line number; a command that fails
// while running stops with status 1 and its line; quit ends early; bad
// flags are refused with status 2.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

class ScriptRun : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  TempDir dir_;
};

TEST_F(ScriptRun, MalformedLineStopsWithItsNumberBeforeAnythingRuns) {
  auto run = AppRun::headless(home(), "tap 160 239\n# fine\n\ntap 160\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.stderrText.find("line 4"), std::string::npos) << run.stderrText;
  EXPECT_TRUE(run.ofType("sound").empty());
}

TEST_F(ScriptRun, UnknownCommandStopsWithItsNumber) {
  auto run = AppRun::headless(home(), "wait 1\njump 3 4\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.stderrText.find("line 2: unknown command \"jump\""), std::string::npos) << run.stderrText;
}

TEST_F(ScriptRun, PressOfATitleNobodyShowsFailsWithItsLine) {
  auto run = AppRun::headless(home(), "wait 1\npress \"OK\"\ntap 160 239\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.stderrText.find("line 2: nothing on the screen is titled \"OK\""), std::string::npos)
      << run.stderrText;
  EXPECT_TRUE(run.ofType("sound").empty()) << "nothing after the failed line runs";
}

TEST_F(ScriptRun, QuitEndsTheRunEarly) {
  auto run = AppRun::headless(home(), "quit\ntap 160 239\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.ofType("sound").empty());
}

TEST_F(ScriptRun, ScaleTwoScreenshotsHaveTwiceThePixels) {
  auto run = AppRun::headless(home(), "screenshot big\n", {"--scale", "2"});
  ASSERT_EQ(run.status, 0) << run.stderrText;
  auto big = run.screenshot("big");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->pixelWidth(), 640);
  EXPECT_EQ(big->pixelHeight(), 960);
}

TEST_F(ScriptRun, BadFlagsAndMissingFilesAreRefused) {
  EXPECT_EQ(AppRun::raw({"--scale", "3"}).status, 2);
  EXPECT_EQ(AppRun::raw({"--headless"}).status, 2);
  auto missing = AppRun::raw({"--headless", "--script", home() + "/none.script", "--out", home() + "-o"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.stderrText.find("cannot read the script"), std::string::npos);
  auto help = AppRun::raw({"--help"});
  EXPECT_EQ(help.status, 0);
}

TEST_F(ScriptRun, OutputThatCannotBeWrittenFails) {
  std::filesystem::create_directories(home());
  // A file where the output folder should be.
  const std::string blocked = dir_.path() + "/blocked";
  { std::ofstream(blocked) << "x"; }
  const std::string script = dir_.path() + "/s.script";
  { std::ofstream(script) << "wait 1\n"; }
  auto run = AppRun::raw({"--headless", "--script", script, "--out", blocked, "--home", home()});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.stderrText.find("cannot create the output folder"), std::string::npos) << run.stderrText;
}

}  // namespace
}  // namespace e2e
