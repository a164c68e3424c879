#pragma once
// The platform's named colours that the app and the library use, and the
// drawing of the one that is a pattern rather than a colour.
//
// The grouped-table background is a blue-grey with fine vertical
// pinstripes. A view's background is a plain Color, so that colour stands
// for the pattern: fillBackground draws the pinstripes wherever it is asked
// to fill with it (and a plain fill for any other colour). Where the
// pattern is not drawn through fillBackground the plain blue-grey shows.

#include "platform/graphics/Color.h"
#include "platform/graphics/Rect.h"

namespace platform::graphics {
class GraphicsContext;
}

namespace platform::ui {

class Colors {
 public:
  // RGB(197, 204, 212), the pattern's base colour.
  static graphics::Color groupTableViewBackgroundColor();
  // The stripes: one lighter column every kStripePeriod points.
  static constexpr double kStripePeriod = 7;
  static constexpr double kStripeWidth = 3;
  static graphics::Color pinstripeColor();

  // The bright blue gradient, top to bottom, of a pressed button: rounded
  // buttons and the buttons of action sheets.
  static constexpr graphics::Color kPressedButtonTop = graphics::Color::rgb(5, 140, 245);
  static constexpr graphics::Color kPressedButtonBottom = graphics::Color::rgb(1, 93, 230);

  // Fills `rect` with `color`, drawing the pinstripes for the grouped-table
  // background colour. Stripes line up with the x = 0 of the current
  // coordinates.
  static void fillBackground(graphics::GraphicsContext& context, graphics::Color color, graphics::Rect rect);
};

}  // namespace platform::ui
