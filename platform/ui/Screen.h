#pragma once
// The phone's screen: 320 x 480 points in portrait, at scale 1 or 2, with a
// 20-point status bar on top. A process-wide singleton, never destroyed.
//
// How to use: Screen::mainScreen().applicationFrame() is the area the app
// may fill, in window coordinates for the current interface orientation:
// (0, 20, 320, 460) in portrait, (0, 20, 480, 300) in landscape. The front
// end sets the scale; Application sets the orientation when it rotates.

#include "platform/graphics/Rect.h"
#include "platform/ui/InterfaceOrientation.h"

namespace platform::ui {

class Screen {
 public:
  static constexpr double kStatusBarHeight = 20;

  static Screen& mainScreen();

  // The portrait screen, (0, 0, 320, 480).
  graphics::Rect bounds() const { return {{0, 0}, {320, 480}}; }
  graphics::Rect applicationFrame() const { return applicationFrameForOrientation(orientation_); }
  static graphics::Rect applicationFrameForOrientation(InterfaceOrientation orientation);

  double scale() const { return scale_; }
  // 1 or 2; anything else is ignored.
  void setScale(double scale);

  InterfaceOrientation interfaceOrientation() const { return orientation_; }
  void setInterfaceOrientation(InterfaceOrientation orientation) { orientation_ = orientation; }

 private:
  Screen() = default;

  double scale_ = 1;
  InterfaceOrientation orientation_ = InterfaceOrientation::Portrait;
};

}  // namespace platform::ui
