#pragma once
// The embedded browser's toolbar icons, in the order they are fetched: the ad
// makes sure they are in the image cache before it asks for an ad, so the
// browser can open at once after a click.

#include <array>
#include <string_view>

namespace pennant {

inline constexpr std::array<std::string_view, 4> kBrowserIcons = {"back", "back_disable", "forward",
                                                                   "forward_disable"};

}  // namespace pennant
