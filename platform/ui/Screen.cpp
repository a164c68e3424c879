#include "platform/ui/Screen.h"

namespace platform::ui {

Screen& Screen::mainScreen() {
  static auto* screen = new Screen();
  return *screen;
}

graphics::Rect Screen::applicationFrameForOrientation(InterfaceOrientation orientation) {
  const graphics::Size content = contentSizeForOrientation(orientation);
  return {{0, kStatusBarHeight}, {content.width, content.height - kStatusBarHeight}};
}

void Screen::setScale(double scale) {
  if (scale == 1 || scale == 2) scale_ = scale;
}

}  // namespace platform::ui
