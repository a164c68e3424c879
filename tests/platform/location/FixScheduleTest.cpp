#include "platform/location/FixSchedule.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace platform::location {
namespace {

using Fix = FixSchedule::Fix;

TEST(FixScheduleParse, ReadsFixesCommentsAndOptionalAge) {
  std::string error;
  const auto schedule = FixSchedule::parse(
      "# a walk along the river\n"
      "\n"
      "0 51.5 -0.12 65\n"
      "  2.5\t51.501 -0.121\t10 30   # taken half a minute earlier\r\n"
      "60 -33.86 151.2 5 -4\n",
      error);
  ASSERT_TRUE(schedule) << error;
  EXPECT_EQ(schedule->fixes(), (std::vector<Fix>{{0, 51.5, -0.12, 65, 0},
                                                 {2.5, 51.501, -0.121, 10, 30},
                                                 {60, -33.86, 151.2, 5, -4}}));
}

TEST(FixScheduleParse, NothingButCommentsIsNoFixes) {
  std::string error;
  const auto schedule = FixSchedule::parse("# nothing yet\n\n   \n", error);
  ASSERT_TRUE(schedule);
  EXPECT_TRUE(schedule->empty());
}

TEST(FixScheduleParse, ABadLineRejectsTheFileAndIsNamed) {
  const std::pair<const char*, const char*> cases[] = {
      {"0 1 2\n", "line 1: expected DELAY LAT LON ACCURACY [AGE]"},
      {"0 1 2 3 4 5\n", "line 1: expected DELAY LAT LON ACCURACY [AGE]"},
      {"0 1 2 3\n# ok\n1 north 2 3\n", "line 3: not a number: north"},
      {"0 1.5x 2 3\n", "line 1: not a number: 1.5x"},
      {"0 nan 2 3\n", "line 1: not a number: nan"},
      {"0 1 inf 3\n", "line 1: not a number: inf"},
      {"0 90.5 2 3\n", "line 1: latitude out of range"},
      {"0 1 -180.01 3\n", "line 1: longitude out of range"},
      {"0 1 2 -1\n", "line 1: negative accuracy"},
      {"-1 1 2 3\n", "line 1: negative delay"},
      {"0,1,2,3\n", "line 1: expected DELAY LAT LON ACCURACY [AGE]"},
  };
  for (const auto& [text, expected] : cases) {
    std::string error;
    EXPECT_FALSE(FixSchedule::parse(text, error)) << text;
    EXPECT_EQ(error, expected) << text;
  }
}

TEST(FixScheduleParse, AcceptsTheRangeLimits) {
  std::string error;
  const auto schedule = FixSchedule::parse("0 -90 -180 0\n0 90 180 0 0\n", error);
  ASSERT_TRUE(schedule) << error;
  EXPECT_EQ(schedule->fixes().size(), 2u);
}

TEST(FixScheduleFixedPosition, OneFixAtTheStart) {
  std::string error;
  const auto schedule = FixSchedule::fixedPosition(" 12.5, -3.25 ,65", 120, error);
  ASSERT_TRUE(schedule) << error;
  EXPECT_EQ(schedule->fixes(), (std::vector<Fix>{{0, 12.5, -3.25, 65, 120}}));
}

TEST(FixScheduleFixedPosition, RejectsMalformedText) {
  for (const char* text : {"12.5,-3.25", "12.5,-3.25,65,1", "a,b,c", "91,0,5", "0,0,-5", "", "1,,3"}) {
    std::string error;
    EXPECT_FALSE(FixSchedule::fixedPosition(text, 0, error)) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  std::string error;
  EXPECT_FALSE(FixSchedule::fixedPosition("1,2,3", std::nan(""), error));
}

class FixScheduleFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("fix-schedule-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    const auto path = (dir_ / name).string();
    std::ofstream(path) << text;
    return path;
  }

  std::filesystem::path dir_;
};

TEST_F(FixScheduleFile, ReadsAFile) {
  std::string error;
  const auto schedule = FixSchedule::fromFile(write("walk.txt", "1 2 3 4\n"), error);
  ASSERT_TRUE(schedule) << error;
  EXPECT_EQ(schedule->fixes(), (std::vector<Fix>{{1, 2, 3, 4, 0}}));
  const auto empty = FixSchedule::fromFile(write("empty.txt", ""), error);
  ASSERT_TRUE(empty) << error;
  EXPECT_TRUE(empty->empty());
}

TEST_F(FixScheduleFile, ErrorsNameTheFile) {
  std::string error;
  const std::string bad = write("bad.txt", "1 2 3 4\n1 2\n");
  EXPECT_FALSE(FixSchedule::fromFile(bad, error));
  EXPECT_EQ(error, bad + ": line 2: expected DELAY LAT LON ACCURACY [AGE]");

  const std::string missing = (dir_ / "missing.txt").string();
  EXPECT_FALSE(FixSchedule::fromFile(missing, error));
  EXPECT_EQ(error, missing + ": not a readable file");
  EXPECT_FALSE(FixSchedule::fromFile(dir_.string(), error));

  const std::string huge = write("huge.txt", "1 2 3 4\n");
  std::filesystem::resize_file(huge, FixSchedule::kMaxFileBytes + 1);
  EXPECT_FALSE(FixSchedule::fromFile(huge, error));
  EXPECT_EQ(error, huge + ": too large");
}

}  // namespace
}  // namespace platform::location
