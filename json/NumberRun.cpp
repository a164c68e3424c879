#include "json/NumberRun.h"

#include <cstddef>

#include "json/ByteScanner.h"

namespace json {

namespace {

constexpr std::ptrdiff_t kMaximumExactDigits = 19;  // below 2^64 in a uint64
constexpr std::ptrdiff_t kMaximumExponentDigits = 4;
constexpr int kLargestExactPowerOfTen = 22;
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;

bool isDigit(std::uint8_t byte) { return static_cast<unsigned>(byte - '0') < 10; }

const std::uint8_t* readDigits(const std::uint8_t* p, const std::uint8_t* end, std::uint64_t& accumulated) {
  while (p < end && isDigit(*p)) {
    accumulated = accumulated * 10 + static_cast<std::uint64_t>(*p - '0');
    ++p;
  }
  return p;
}

}  // namespace

const std::uint8_t* NumberRun::read(const std::uint8_t* begin, const std::uint8_t* end, double& value) {
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const std::uint8_t* p = begin;
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  const std::uint8_t* const integer = p;
  std::uint64_t mantissa = 0;
  p = readDigits(p, end, mantissa);
  std::ptrdiff_t digits = p - integer;
  std::ptrdiff_t exponent = 0;
  bool regular = digits > 0;
  if (p < end && *p == '.') {
    const std::uint8_t* const fraction = ++p;
    p = readDigits(p, end, mantissa);
    digits += p - fraction;
    exponent = -(p - fraction);
    regular = regular && p > fraction;
  }
  if (p < end && (*p | 0x20) == 'e') {
    ++p;
    const bool negativeExponent = p < end && *p == '-';
    if (negativeExponent) ++p;
    const std::uint8_t* const exponentDigits = p;
    std::ptrdiff_t written = 0;
    for (; p < end && isDigit(*p) && p - exponentDigits < kMaximumExponentDigits; ++p) {
      written = written * 10 + (*p - '0');
    }
    exponent += negativeExponent ? -written : written;
    regular = regular && p > exponentDigits;
  }
  // The run goes on after the number, or the number is not one this path
  // converts exactly: the general reading over the whole run decides.
  if (!regular || digits > kMaximumExactDigits || (p < end && isNumberCharacter(*p))) {
    while (p < end && isNumberCharacter(*p)) ++p;
    value = ByteScanner::readLeadingDouble(begin, p);
    return p;
  }
  double magnitude;
  if (exponent == 0) {
    magnitude = static_cast<double>(mantissa);  // correctly rounded for any uint64
  } else if (mantissa <= kLargestExactInteger && exponent >= -kLargestExactPowerOfTen &&
             exponent <= kLargestExactPowerOfTen) {
    // Both operands are exact, so one rounding gives the nearest double.
    const double exact = static_cast<double>(mantissa);
    magnitude = exponent < 0 ? exact / kPowersOfTen[-exponent] : exact * kPowersOfTen[exponent];
  } else {
    value = ByteScanner::readLeadingDouble(begin, p);
    return p;
  }
  value = negative ? -magnitude : magnitude;
  return p;
}

}  // namespace json
