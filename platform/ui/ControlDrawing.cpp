#include "platform/ui/ControlDrawing.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "platform/graphics/Font.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/StringDrawing.h"

namespace platform::ui {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Rect;

void ControlDrawing::addRoundedRect(GraphicsContext& context, Rect rect, double radius) {
  const double r = std::clamp(radius, 0.0, std::min(rect.size.width, rect.size.height) / 2);
  constexpr double pi = std::numbers::pi;
  context.addArc(rect.maxX() - r, rect.minY() + r, r, -pi / 2, 0, 0);
  context.addArc(rect.maxX() - r, rect.maxY() - r, r, 0, pi / 2, 0);
  context.addArc(rect.minX() + r, rect.maxY() - r, r, pi / 2, pi, 0);
  context.addArc(rect.minX() + r, rect.minY() + r, r, pi, 3 * pi / 2, 0);
  context.closePath();
}

void ControlDrawing::addBackArrow(GraphicsContext& context, Rect rect, double radius) {
  const double r = std::clamp(radius, 0.0, std::min(rect.size.width, rect.size.height) / 2);
  // The point takes a width of about a third of the height, as the
  // platform's back buttons do.
  const double tip = std::min(rect.size.height * 0.35, rect.size.width / 2);
  constexpr double pi = std::numbers::pi;
  context.moveToPoint(rect.minX(), rect.midY());
  context.addLineToPoint(rect.minX() + tip, rect.minY());
  context.addArc(rect.maxX() - r, rect.minY() + r, r, -pi / 2, 0, 0);
  context.addArc(rect.maxX() - r, rect.maxY() - r, r, 0, pi / 2, 0);
  context.addLineToPoint(rect.minX() + tip, rect.maxY());
  context.closePath();
}

void ControlDrawing::fillPathWithVerticalGradient(GraphicsContext& context, Rect rect,
                                                  std::initializer_list<Color> colors) {
  const std::vector<Color> list(colors);
  auto gradient = graphics::Gradient::gradientWithColors(list);
  context.saveGState();
  context.clip();
  if (gradient) {
    context.drawLinearGradient(*gradient, {rect.minX(), rect.minY()}, {rect.minX(), rect.maxY()},
                               graphics::kGradientDrawsBeforeStartLocation | graphics::kGradientDrawsAfterEndLocation);
  }
  context.restoreGState();
}

Color ControlDrawing::shade(Color color, double amount) {
  const double a = std::clamp(amount, -1.0, 1.0);
  auto mix = [a](double c) { return a >= 0 ? c + (1 - c) * a : c * (1 + a); };
  return {mix(color.red), mix(color.green), mix(color.blue), color.alpha};
}

double ControlDrawing::drawCentredLine(GraphicsContext& context, std::string_view text, Rect box,
                                       const graphics::Font& font, Color color,
                                       graphics::TextAlignment alignment) {
  if (text.empty() || box.size.width <= 0) return 0;
  const graphics::Size size = graphics::StringDrawing::sizeWithFont(text, font);
  const double top = box.midY() - size.height / 2;
  context.saveGState();
  context.setFillColor(color);
  const graphics::Size drawn = graphics::StringDrawing::drawInRectWithFont(
      context, text, {{box.minX(), top}, {box.size.width, size.height}}, font,
      graphics::LineBreakMode::TailTruncation, alignment);
  context.restoreGState();
  return drawn.width;
}

}  // namespace platform::ui
