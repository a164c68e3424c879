#pragma once
// The look the navigation bar and the toolbar share: the bar's gradient for
// its style and tint, bordered buttons and back buttons, and the contents of
// a bar button item (text, image or a system icon drawn in code).
//
// Bar styles: 0 the default blue-grey, 1 black. A tint colour replaces the
// style's colours with shades of the tint.

#include <optional>

#include "platform/graphics/Color.h"
#include "platform/graphics/Rect.h"

namespace platform::graphics {
class GraphicsContext;
}

namespace platform::ui {

class BarButtonItem;

class BarAppearance {
 public:
  static constexpr int kBarStyleDefault = 0;
  static constexpr int kBarStyleBlack = 1;
  // Buttons on a bar are this tall, centred vertically in 44 points.
  static constexpr double kButtonHeight = 30;

  static void drawBarBackground(graphics::GraphicsContext& context, graphics::Rect bounds, int barStyle,
                                const std::optional<graphics::Color>& tint);

  // The fill of a bordered button of `itemStyle` on such a bar.
  static graphics::Color buttonColor(int barStyle, const std::optional<graphics::Color>& tint, int itemStyle);
  // A bordered button (or, with backArrow, a back button) in `rect`.
  static void drawButtonFrame(graphics::GraphicsContext& context, graphics::Rect rect, graphics::Color color,
                              bool highlighted, bool backArrow);

  // The width the item's content needs, without a border's padding.
  static double contentWidth(const BarButtonItem& item);
  // The item's title, image or system icon centred in `rect`, in white.
  static void drawItemContent(graphics::GraphicsContext& context, const BarButtonItem& item, graphics::Rect rect);
  // The action (arrow leaving a box), refresh (circular arrow) and stop (X)
  // icons; nothing for other codes.
  static void drawSystemIcon(graphics::GraphicsContext& context, int systemItem, graphics::Rect rect);
};

}  // namespace platform::ui
