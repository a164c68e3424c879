#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/PercentEscapes.h"

namespace platform {
namespace {

TEST(PercentEscapesTest, EscapesWhatAUrlMayNotHold) {
  const auto escaped = PercentEscapes::addingPercentEscapes(
      "a b\"c%d<e>f{g}h\\i^j`k|l\x01m\x7F", StringEncoding::ASCII);
  ASSERT_TRUE(escaped);
  EXPECT_EQ(*escaped, "a%20b%22c%25d%3Ce%3Ef%7Bg%7Dh%5Ci%5Ej%60k%7Cl%01m%7F");
}

TEST(PercentEscapesTest, KeepsLettersDigitsAndMarks) {
  const std::string kept = "AZaz09-._~!#$&'()*+,/:;=?@[]";
  EXPECT_EQ(PercentEscapes::addingPercentEscapes(kept, StringEncoding::ASCII), kept);
  // Every printable ASCII character is either kept or escaped, never both.
  for (int c = 0x20; c < 0x7F; ++c) {
    const std::string one(1, static_cast<char>(c));
    const auto escaped = PercentEscapes::addingPercentEscapes(one, StringEncoding::ASCII);
    ASSERT_TRUE(escaped);
    EXPECT_EQ(*escaped == one, PercentEscapes::isKeptCharacter(static_cast<char>(c))) << c;
  }
  EXPECT_FALSE(PercentEscapes::isKeptCharacter('\0'));
}

TEST(PercentEscapesTest, QueryKeysCanEscapeMore) {
  const auto escaped =
      PercentEscapes::addingPercentEscapes("a&b=c+d#e f", StringEncoding::ASCII, "&=+#");
  EXPECT_EQ(escaped, "a%26b%3Dc%2Bd%23e%20f");
}

TEST(PercentEscapesTest, NonAsciiTextDependsOnTheEncoding) {
  EXPECT_FALSE(PercentEscapes::addingPercentEscapes("Bot\xC3\xB3n", StringEncoding::ASCII));
  EXPECT_EQ(PercentEscapes::addingPercentEscapes("Bot\xC3\xB3n", StringEncoding::UTF8),
            "Bot%C3%B3n");
}

TEST(PercentEscapesTest, RemovingEscapes) {
  EXPECT_EQ(PercentEscapes::removingPercentEscapes("a%20b%2fc%2F", StringEncoding::ASCII),
            "a b/c/");
  EXPECT_EQ(PercentEscapes::removingPercentEscapes("Bot%C3%B3n", StringEncoding::UTF8),
            "Bot\xC3\xB3n");
  EXPECT_EQ(PercentEscapes::removingPercentEscapes("", StringEncoding::ASCII), "");
}

TEST(PercentEscapesTest, RemovingRejectsBrokenEscapes) {
  for (const char* bad : {"%", "%4", "abc%", "%zz", "%4g", "a%%20"}) {
    EXPECT_FALSE(PercentEscapes::removingPercentEscapes(bad, StringEncoding::ASCII)) << bad;
  }
  // Decoded bytes outside the target encoding.
  EXPECT_FALSE(PercentEscapes::removingPercentEscapes("%C3%B3", StringEncoding::ASCII));
  EXPECT_FALSE(PercentEscapes::removingPercentEscapes("%C3", StringEncoding::UTF8));
  EXPECT_FALSE(PercentEscapes::removingPercentEscapes("%ED%A0%80", StringEncoding::UTF8));
}

TEST(PercentEscapesTest, RoundTripOfEveryByte) {
  std::string all;
  for (int c = 1; c < 128; ++c) {
    all += static_cast<char>(c);
  }
  const auto escaped = PercentEscapes::addingPercentEscapes(all, StringEncoding::ASCII);
  ASSERT_TRUE(escaped);
  EXPECT_EQ(escaped->find_first_of(" \"<>\\^`{|}"), std::string::npos);
  EXPECT_EQ(PercentEscapes::removingPercentEscapes(*escaped, StringEncoding::ASCII), all);
}

}  // namespace
}  // namespace platform
