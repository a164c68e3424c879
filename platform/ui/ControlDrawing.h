#pragma once
// Drawing helpers the bars and controls share: rounded rectangles, vertical
// gradients inside a path, single lines of text centred in a box, and the
// arrow-shaped outline of a back button. Everything draws into the given
// context and leaves its graphics state as it found it.

#include <initializer_list>
#include <string_view>

#include "platform/graphics/Color.h"
#include "platform/graphics/Rect.h"
#include "platform/graphics/TextAttributes.h"

namespace platform::graphics {
class Font;
class GraphicsContext;
}  // namespace platform::graphics

namespace platform::ui {

class ControlDrawing {
 public:
  // Adds a closed rounded rectangle to the current path; the radius is
  // limited to half the shorter side.
  static void addRoundedRect(graphics::GraphicsContext& context, graphics::Rect rect, double radius);
  // Adds the outline of a back button: a rounded rectangle whose left end
  // is a point.
  static void addBackArrow(graphics::GraphicsContext& context, graphics::Rect rect, double radius);

  // Fills the current path with a gradient running from the top of `rect`
  // (first colour) to its bottom (last colour); the path is consumed.
  static void fillPathWithVerticalGradient(graphics::GraphicsContext& context, graphics::Rect rect,
                                           std::initializer_list<graphics::Color> colors);

  // The colour lightened (amount > 0) or darkened (amount < 0) towards white
  // or black by |amount| in [0, 1].
  static graphics::Color shade(graphics::Color color, double amount);

  // One line of text, vertically centred in `box` and aligned within its
  // width, cut with an ellipsis at the end when it is too wide. Returns the
  // width of the text as drawn.
  static double drawCentredLine(graphics::GraphicsContext& context, std::string_view text, graphics::Rect box,
                                const graphics::Font& font, graphics::Color color,
                                graphics::TextAlignment alignment = graphics::TextAlignment::Center);
};

}  // namespace platform::ui
