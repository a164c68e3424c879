#include "json/StringRun.h"

#include <gtest/gtest.h>

#include <vector>

namespace json {
namespace {

TEST(StringRunSearch, WideAndByteSearchesAgree) {
  // Runs of every length up to 70 with the stop byte at every place, plus
  // runs without one: the 16-byte steps must end exactly where bytes do.
  const std::uint8_t stops[] = {'"', '\\', 0x80, 0xC3, 0xFF};
  for (std::size_t length = 0; length <= 70; ++length) {
    std::vector<std::uint8_t> bytes(length, 'a');
    const auto* begin = bytes.data();
    EXPECT_EQ(StringRun::findSpecial(begin, begin + length), begin + length);
    for (std::size_t at = 0; at < length; ++at) {
      for (std::uint8_t stop : stops) {
        // Printable ASCII other than the quote and the backslash.
        for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>('#' + (i * 7 + at) % 57);
        bytes[at] = stop;
        begin = bytes.data();
        ASSERT_EQ(StringRun::findSpecial(begin, begin + length), begin + at) << length << " " << at;
        ASSERT_EQ(StringRun::findSpecialScalar(begin, begin + length), begin + at);
      }
    }
  }
}

}  // namespace
}  // namespace json
