#pragma once
// Reads a number run of the default number characters ("0123456789eE-.")
// in one pass: the digits are accumulated while the run is found, where the
// general path first finds the run through the character set and then reads
// it again. Well-formed decimals with up to 19 significant digits and a
// power of ten within 22 are converted on the spot; anything else (a run
// that goes on after the number, as in "1-2" or "1.2.3", a long mantissa, a
// large exponent) falls back to ByteScanner::readLeadingDouble over the
// whole run, so both paths give the very same double for every run.

#include <cstdint>

namespace json {

class NumberRun {
 public:
  static bool isNumberCharacter(std::uint8_t byte) {
    return static_cast<unsigned>(byte - '0') < 10 || byte == '-' || byte == '.' || (byte | 0x20) == 'e';
  }

  // The end of the run that starts at begin (begin itself when there is
  // none); value receives the run's longest leading decimal number, or 0.
  static const std::uint8_t* read(const std::uint8_t* begin, const std::uint8_t* end, double& value);
};

}  // namespace json
