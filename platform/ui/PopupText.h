#pragma once
// The one place where alerts and action sheets measure and draw their
// texts: titles, messages and button titles. These texts may come from an
// ad server (a phone number or a company name in an alert's title, button
// titles from a downloaded strings file), so every text is first cut to
// what a box bounded by the screen can show before Pango lays it out, and
// then wrapped (titles, messages) or cut with an ellipsis (button titles).
//
// How to use:
//   double h = PopupText::heightOfLines(title, *font, width, maxHeight);
//   PopupText::drawLines(context, title, *font, {{x, y}, {width, h}}, white);
//   PopupText::drawButtonTitle(context, "Cancel", *font, buttonBounds, white, true);
//
// Text is drawn centred, with a one-point shadow above it when asked (the
// engraved look of white text on the blue alert). Stateless.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/graphics/Color.h"
#include "platform/graphics/Rect.h"

namespace platform::graphics {
class Font;
class GraphicsContext;
}  // namespace platform::graphics

namespace platform::ui {

class PopupText {
 public:
  // More than the largest box can show at the smallest popup font; what is
  // beyond it is never laid out.
  static constexpr std::size_t kMaxShownCharacters = 1000;

  // The text as it reaches layout: at most kMaxShownCharacters characters
  // as a reader counts them (grapheme clusters, never cut inside one, with
  // room for their marks), through graphics::TextLimit.
  static std::string capForLayout(std::string_view text);

  // The height of the text wrapped within `width`, in whole lines that fit
  // in `maxHeight` (at least one line, cut to it); 0 for an empty text.
  static double heightOfLines(std::string_view text, const graphics::Font& font, double width, double maxHeight);

  // Draws the text wrapped and centred within `box`, cut at its bottom.
  static void drawLines(graphics::GraphicsContext& context, std::string_view text, const graphics::Font& font,
                        graphics::Rect box, graphics::Color color, bool shadow);

  // Draws one line centred in `box`, cut with an ellipsis when too wide.
  static void drawButtonTitle(graphics::GraphicsContext& context, std::string_view text, const graphics::Font& font,
                              graphics::Rect box, graphics::Color color, bool shadow);
};

}  // namespace platform::ui
