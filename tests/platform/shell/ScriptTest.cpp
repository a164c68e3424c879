#include "platform/shell/Script.h"

#include <gtest/gtest.h>

namespace platform::shell {
namespace {

using Kind = ScriptCommand::Kind;

TEST(ScriptParse, ReadsEveryCommandWithItsLine) {
  auto parsed = Script::parse(
      "# a tour\n"
      "\n"
      "wait 1.5\n"
      "  tap 160 239\n"
      "down 1 2\tmove 3 4\n");
  // A tab separates arguments like a space; "down 1 2 move 3 4" has too many.
  EXPECT_EQ(parsed.errorLine, 5);

  parsed = Script::parse(
      "# a tour\n\nwait 1.5\n  tap 160 239\ndown 1 2\nmove 3 4\nup 5 6\ncancel\n"
      "rotate landscape-left\npress \"Botón Trimo\"\nscreenshot launch_1\nviews tree.v2\nquit");
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  ASSERT_EQ(parsed.commands.size(), 11u);
  EXPECT_EQ(parsed.commands[0].kind, Kind::Wait);
  EXPECT_EQ(parsed.commands[0].seconds, 1.5);
  EXPECT_EQ(parsed.commands[0].line, 3);
  EXPECT_EQ(parsed.commands[1].kind, Kind::Tap);
  EXPECT_EQ(parsed.commands[1].x, 160);
  EXPECT_EQ(parsed.commands[1].y, 239);
  EXPECT_EQ(parsed.commands[2].kind, Kind::Down);
  EXPECT_EQ(parsed.commands[3].kind, Kind::Move);
  EXPECT_EQ(parsed.commands[4].kind, Kind::Up);
  EXPECT_EQ(parsed.commands[5].kind, Kind::Cancel);
  EXPECT_EQ(parsed.commands[6].orientation, 3);
  EXPECT_EQ(parsed.commands[7].text, "Botón Trimo");
  EXPECT_EQ(parsed.commands[8].kind, Kind::Screenshot);
  EXPECT_EQ(parsed.commands[8].text, "launch_1");
  EXPECT_EQ(parsed.commands[9].kind, Kind::Views);
  EXPECT_EQ(parsed.commands[10].kind, Kind::Quit);
  EXPECT_EQ(parsed.commands[10].line, 13);
}

TEST(ScriptParse, RotationsFollowThePlatformsDeviceNumbers) {
  EXPECT_EQ(Script::orientationNamed("portrait"), 1);
  EXPECT_EQ(Script::orientationNamed("upside-down"), 2);
  EXPECT_EQ(Script::orientationNamed("landscape-left"), 3);
  EXPECT_EQ(Script::orientationNamed("landscape-right"), 4);
  EXPECT_EQ(Script::orientationNamed("sideways"), std::nullopt);
}

TEST(ScriptParse, QuotedTitlesKeepSpacesAndEscapes) {
  auto parsed = Script::parse("press \"Say \\\"hi\\\" \\\\ now\"\npress \"\"\n");
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  EXPECT_EQ(parsed.commands[0].text, "Say \"hi\" \\ now");
  EXPECT_EQ(parsed.commands[1].text, "");
}

TEST(ScriptParse, CrLfLineEndsAreAccepted) {
  auto parsed = Script::parse("wait 1\r\ntap 2 3\r\n");
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  EXPECT_EQ(parsed.commands.size(), 2u);
}

struct BadLine {
  const char* text;
  int line;
  const char* message;
};

class ScriptParseErrors : public ::testing::TestWithParam<BadLine> {};

TEST_P(ScriptParseErrors, NameTheLineAndStopEverything) {
  const auto& bad = GetParam();
  auto parsed = Script::parse(bad.text);
  EXPECT_EQ(parsed.errorLine, bad.line) << bad.text;
  EXPECT_NE(parsed.error.find("line " + std::to_string(bad.line) + ": "), std::string::npos) << parsed.error;
  EXPECT_NE(parsed.error.find(bad.message), std::string::npos) << parsed.error;
  EXPECT_TRUE(parsed.commands.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptParseErrors,
    ::testing::Values(BadLine{"wait 1\nfly 2\n", 2, "unknown command \"fly\""},
                      BadLine{"tap 1\n", 1, "tap expects X Y"},
                      BadLine{"tap 1 2 3\n", 1, "tap expects X Y"},
                      BadLine{"tap x 2\n", 1, "two numbers"},
                      BadLine{"tap nan 2\n", 1, "two numbers"},
                      BadLine{"tap 1e999 2\n", 1, "two numbers"},
                      BadLine{"wait -1\n", 1, "from 0 to 86400"},
                      BadLine{"wait 100000\n", 1, "from 0 to 86400"},
                      BadLine{"wait\n", 1, "wait expects SECONDS"},
                      BadLine{"rotate left\n", 1, "rotate expects"},
                      BadLine{"press OK\n", 1, "one quoted title"},
                      BadLine{"press \"OK\n", 1, "unterminated"},
                      BadLine{"press \"OK\"x\n", 1, "closing quote"},
                      BadLine{"press \"A\" \"B\"\n", 1, "one quoted title"},
                      BadLine{"screenshot ../escape\n", 1, "NAME of letters"},
                      BadLine{"screenshot .hidden\n", 1, "NAME of letters"},
                      BadLine{"views a/b\n", 1, "NAME of letters"},
                      BadLine{"screenshot\n", 1, "screenshot expects NAME"},
                      BadLine{"cancel now\n", 1, "cancel expects nothing"},
                      BadLine{"\"wait\" 1\n", 1, "cannot be quoted"}));

TEST(ScriptParse, NulByteInsideALineIsRefused) {
  const std::string text("wait 1\nta\0p 1 2\n", 16);
  auto parsed = Script::parse(text);
  EXPECT_EQ(parsed.errorLine, 2);
  EXPECT_NE(parsed.error.find("NUL"), std::string::npos);
}

TEST(ScriptNames, KeepOutputInsideTheFolder) {
  EXPECT_TRUE(Script::isValidName("launch-1.final_v2"));
  EXPECT_FALSE(Script::isValidName(""));
  EXPECT_FALSE(Script::isValidName(".."));
  EXPECT_FALSE(Script::isValidName("a b"));
  EXPECT_FALSE(Script::isValidName("a\\b"));
  EXPECT_FALSE(Script::isValidName(std::string(Script::kMaxNameLength + 1, 'a')));
  EXPECT_TRUE(Script::isValidName(std::string(Script::kMaxNameLength, 'a')));
}

}  // namespace
}  // namespace platform::shell

namespace platform::shell {
namespace {

TEST(ScriptParse, WebCommandsTakeAQuotedScriptOrNothing) {
  auto parsed = Script::parse("web-eval \"document.getElementById(\\\"a\\\").click()\"\nwait-web\n");
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  ASSERT_EQ(parsed.commands.size(), 2u);
  EXPECT_EQ(parsed.commands[0].kind, ScriptCommand::Kind::WebEval);
  EXPECT_EQ(parsed.commands[0].text, "document.getElementById(\"a\").click()");
  EXPECT_EQ(parsed.commands[1].kind, ScriptCommand::Kind::WaitWeb);
  EXPECT_EQ(Script::parse("web-eval document.title\n").errorLine, 1);
  EXPECT_EQ(Script::parse("wait 1\nwait-web 5\n").errorLine, 2);
  EXPECT_EQ(Script::parse("memory\n").commands.at(0).kind, ScriptCommand::Kind::Memory);
  EXPECT_EQ(Script::parse("wait 1\nmemory now\n").errorLine, 2);
}

}  // namespace
}  // namespace platform::shell
