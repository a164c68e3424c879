#include "platform/ui/InterfaceOrientation.h"

namespace platform::ui {
namespace {
constexpr double kScreenWidth = 320;
constexpr double kScreenHeight = 480;
}  // namespace

bool isValidOrientation(int orientation) { return orientation >= 1 && orientation <= 4; }

bool isLandscape(InterfaceOrientation orientation) {
  return orientation == InterfaceOrientation::LandscapeRight || orientation == InterfaceOrientation::LandscapeLeft;
}

graphics::Size contentSizeForOrientation(InterfaceOrientation orientation) {
  return isLandscape(orientation) ? graphics::Size{kScreenHeight, kScreenWidth}
                                  : graphics::Size{kScreenWidth, kScreenHeight};
}

graphics::Point screenPointFromContentPoint(InterfaceOrientation orientation, graphics::Point p) {
  switch (orientation) {
    case InterfaceOrientation::Portrait:
      break;
    case InterfaceOrientation::PortraitUpsideDown:
      return {kScreenWidth - p.x, kScreenHeight - p.y};
    case InterfaceOrientation::LandscapeRight:
      return {kScreenWidth - p.y, p.x};
    case InterfaceOrientation::LandscapeLeft:
      return {p.y, kScreenHeight - p.x};
  }
  return p;
}

graphics::Point contentPointFromScreenPoint(InterfaceOrientation orientation, graphics::Point p) {
  switch (orientation) {
    case InterfaceOrientation::Portrait:
      break;
    case InterfaceOrientation::PortraitUpsideDown:
      return {kScreenWidth - p.x, kScreenHeight - p.y};
    case InterfaceOrientation::LandscapeRight:
      return {p.y, kScreenWidth - p.x};
    case InterfaceOrientation::LandscapeLeft:
      return {kScreenHeight - p.y, p.x};
  }
  return p;
}

}  // namespace platform::ui
