#pragma once
// Device and interface orientations, numbered as the platform numbers them,
// and the geometry that goes with them: the size of the window's content
// and how a point of the content maps onto the portrait screen.

#include "platform/graphics/Point.h"
#include "platform/graphics/Size.h"

namespace platform::ui {

enum class InterfaceOrientation : int {
  Portrait = 1,
  PortraitUpsideDown = 2,
  LandscapeRight = 3,  // turned to the left: the content's top is at the screen's right edge
  LandscapeLeft = 4,   // turned to the right: the content's top is at the screen's left edge
};

bool isValidOrientation(int orientation);
bool isLandscape(InterfaceOrientation orientation);

// The portrait screen is 320 x 480 points; in landscape the content is 480 x 320.
graphics::Size contentSizeForOrientation(InterfaceOrientation orientation);

// Where a point of the window's content lands on the portrait screen, and back.
graphics::Point screenPointFromContentPoint(InterfaceOrientation orientation, graphics::Point point);
graphics::Point contentPointFromScreenPoint(InterfaceOrientation orientation, graphics::Point point);

}  // namespace platform::ui
