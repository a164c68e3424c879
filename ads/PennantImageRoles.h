#pragma once
// What each picture of the library can show, in pixels (a point is a pixel).
// Pictures come from the ad server, and a small file may claim a huge
// picture (73 KB of PNG for 4096 x 4096, 64 MB decoded): each is decoded
// with its role's limit, so one larger than its place is refused from its
// header before a pixel is decoded, and the ad that needed it fails as for
// any picture that does not decode.
//
// Pictures of the click destinations (the contact's picture, toolbar
// images) pass limits of their own to platform::graphics::Image.

#include "platform/graphics/Image.h"

namespace pennant {

struct PennantImageRoles {
  using Limit = platform::graphics::Image::Limit;

  // An image banner fills the ad view (320 x 48) and is drawn unscaled.
  static constexpr Limit kBannerPicture{320, 48};
  // A text ad's icon sits at the left, within the banner's height.
  static constexpr Limit kTextAdIcon{48, 48};
  // The action icon sits at the right, within the banner's height.
  static constexpr Limit kActionIcon{48, 48};
  // The embedded browser's buttons sit on a 44-point toolbar.
  static constexpr Limit kBrowserIcon{44, 44};
  // The image cache holds browser and action icons.
  static constexpr Limit kCachedIcon{48, 48};
};

}  // namespace pennant
