#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/UnicodeText.h"

namespace platform {
namespace {

TEST(UnicodeTextTest, Utf8Validation) {
  EXPECT_TRUE(UnicodeText::isValidUTF8("plain \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(UnicodeText::isValidUTF8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(UnicodeText::isValidUTF8("\xE0\x80\xAF"));      // overlong
  EXPECT_FALSE(UnicodeText::isValidUTF8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(UnicodeText::isValidUTF8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(UnicodeText::isValidUTF8("\xE2\x82"));          // truncated
  EXPECT_FALSE(UnicodeText::isValidUTF8("\x80"));
}

TEST(UnicodeTextTest, ByteOrderMarkedText) {
  EXPECT_FALSE(UnicodeText::decodeByteOrderMarked(std::string("\xFF\xFE" "a\0b", 5)));   // odd length
  EXPECT_FALSE(UnicodeText::decodeByteOrderMarked(std::string("\xFF\xFE\x00\xD8", 4)));  // lone high
  EXPECT_FALSE(UnicodeText::decodeByteOrderMarked(std::string("\xFE\xFF\xDC\x00", 4)));  // lone low
  EXPECT_FALSE(UnicodeText::decodeByteOrderMarked(std::string("\xFE\xFF\xD8\x00\x00\x41", 6)));
  EXPECT_FALSE(UnicodeText::decodeByteOrderMarked("a = \"\xC3\";"));                     // broken UTF-8
  EXPECT_EQ(UnicodeText::decodeByteOrderMarked(std::string("\xFE\xFF\x00\x41", 4)), "A");
}

TEST(UnicodeTextTest, WritesEveryLengthOfUTF8) {
  std::string out;
  for (const char32_t code : {U'A', U'\u00E9', U'\u20AC', U'\U0001F600'}) {
    UnicodeText::appendUTF8(out, code);
  }
  EXPECT_EQ(out, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_TRUE(UnicodeText::isValidUTF8(out));
  EXPECT_EQ(UnicodeText::decodeByteOrderMarked("\xEF\xBB\xBF" + out), out);
}

}  // namespace
}  // namespace platform
