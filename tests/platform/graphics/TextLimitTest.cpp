#include "platform/graphics/TextLimit.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::graphics {
namespace {

const std::string kAcute = "\xCC\x81";                                    // U+0301, combines with what precedes
const std::string kFamily = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";  // 5 code points

std::string repeated(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

TEST(TextLimit, TextWithinTheLimitsComesBackUnchanged) {
  const std::string text = "Caf\xC3\xA9 " + kFamily + " e" + kAcute + " \xE4\xB8\xAD";
  EXPECT_EQ((TextLimit{100, 100}.apply(text)), text);
  EXPECT_EQ((TextLimit{10, 10}.apply("")), "");
}

TEST(TextLimit, CutsToTheFirstLimitReachedAndNeverInsideACluster) {
  // Plain letters: each its own cluster.
  EXPECT_EQ((TextLimit{8, 5}.apply(std::string(500000, ' '))), std::string(5, ' '));
  EXPECT_EQ((TextLimit{5, 8}.apply(std::string(40000, 'x'))), std::string(5, 'x'));
  // Clusters of three code points: 10 characters hold three whole ones.
  const std::string accented = repeated("e" + kAcute + kAcute, 100);
  EXPECT_EQ((TextLimit{10, 100}.apply(accented)), repeated("e" + kAcute + kAcute, 3));
  EXPECT_EQ((TextLimit{100, 2}.apply(accented)), repeated("e" + kAcute + kAcute, 2));
  // An emoji sequence is one cluster: kept whole or left out.
  EXPECT_EQ((TextLimit{6, 10}.apply("ab" + kFamily + "c")), "ab");
  EXPECT_EQ((TextLimit{7, 10}.apply("ab" + kFamily + "c")), "ab" + kFamily);
  EXPECT_EQ((TextLimit{8, 3}.apply("ab" + kFamily + "cd")), "ab" + kFamily);
}

TEST(TextLimit, AClusterLargerThanTheLimitIsLeftOutWithWhatFollows) {
  // One letter under 200,000 accents is a single cluster.
  const std::string heavy = "a" + repeated(kAcute, 200000);
  EXPECT_EQ((TextLimit{1024, 256}.apply(heavy)), "");
  EXPECT_EQ((TextLimit{1024, 256}.apply("Hi " + heavy + " there")), "Hi ");
}

TEST(TextLimit, BrokenBytesAndNulBecomeReplacementCharacters) {
  const std::string replacement = "\xEF\xBF\xBD";
  EXPECT_EQ((TextLimit{10, 10}.apply(std::string("a\xC3(b\0c", 6))), "a" + replacement + "(b" + replacement + "c");
  // Each bad byte counts as one character.
  EXPECT_EQ((TextLimit{3, 10}.apply("\xFF\xFE\xFD\xFC")), repeated(replacement, 3));
}

}  // namespace
}  // namespace platform::graphics
