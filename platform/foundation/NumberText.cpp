#include "platform/foundation/NumberText.h"

#include <charconv>

namespace platform {

namespace {

// Room for the longest double in fixed notation (309 integer digits) with a
// sign, a point and the decimals asked for, within reason.
constexpr int kMaxDecimals = 64;
constexpr std::size_t kBufferSize = 400;

}  // namespace

std::string NumberText::fixed(double value, int decimals) {
  decimals = decimals < 0 ? 0 : (decimals > kMaxDecimals ? kMaxDecimals : decimals);
  char buffer[kBufferSize];
  // to_chars with a precision is printf in the C locale, by definition.
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

}  // namespace platform
