#pragma once
// The tags by which the ad view and its banner find their parts.

namespace pennant {

// The banner of the shown ad, among the ad view's subviews.
inline constexpr int kBannerTag = 1;
// A banner on its way out while the next one flips in.
inline constexpr int kOutgoingBannerTag = 0;
// The click's activity spinner, a subview of the banner.
inline constexpr int kSpinnerTag = 2;
// The shade over the banner while a finger is on it.
inline constexpr int kTouchHighlightTag = 3;

}  // namespace pennant
