#include "platform/ui/Colors.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/GraphicsContext.h"

namespace platform::ui {

graphics::Color Colors::groupTableViewBackgroundColor() { return {197 / 255.0, 204 / 255.0, 212 / 255.0, 1}; }

graphics::Color Colors::pinstripeColor() { return {208 / 255.0, 214 / 255.0, 221 / 255.0, 1}; }

void Colors::fillBackground(graphics::GraphicsContext& context, graphics::Color color, graphics::Rect rect) {
  context.saveGState();
  context.setFillColor(color);
  context.fillRect(rect);
  if (color == groupTableViewBackgroundColor()) {
    context.setFillColor(pinstripeColor());
    const double first = std::floor(rect.minX() / kStripePeriod) * kStripePeriod;
    for (double x = first; x < rect.maxX(); x += kStripePeriod) {
      const double left = std::max(x, rect.minX());
      const double right = std::min(x + kStripeWidth, rect.maxX());
      if (right > left) context.fillRect({{left, rect.minY()}, {right - left, rect.size.height}});
    }
  }
  context.restoreGState();
}

}  // namespace platform::ui
