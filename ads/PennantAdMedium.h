#pragma once
// What kind of banner an ad is. The numbers are the ones the ad has always
// stored and reported.

#include <cstdint>

namespace pennant {

enum class PennantAdMedium : std::int32_t {
  Text = 0,    // icon, text line and action icon
  Banner = 1,  // the whole banner is one picture
};

}  // namespace pennant
