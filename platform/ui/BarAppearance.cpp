#include "platform/ui/BarAppearance.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ControlDrawing.h"

namespace platform::ui {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Rect;

namespace {

constexpr auto rgb = Color::rgb;

constexpr double kButtonFontSize = 12;
constexpr double kIconSide = 20;

std::shared_ptr<graphics::Font> buttonFont() {
  static auto* font = new std::shared_ptr<graphics::Font>(graphics::Font::boldSystemFontOfSize(kButtonFontSize));
  return *font;
}

}  // namespace

void BarAppearance::drawBarBackground(GraphicsContext& context, Rect bounds, int barStyle,
                                      const std::optional<Color>& tint) {
  context.saveGState();
  context.addRect(bounds);
  const double mid = bounds.midY();
  if (tint) {
    ControlDrawing::fillPathWithVerticalGradient(context, bounds,
                                                 {ControlDrawing::shade(*tint, 0.35), ControlDrawing::shade(*tint, -0.15)});
  } else if (barStyle == kBarStyleBlack) {
    // Glossy: a lighter upper half over a nearly black lower half.
    ControlDrawing::fillPathWithVerticalGradient(context, {bounds.origin, {bounds.size.width, mid - bounds.minY()}},
                                                 {Color::colorWithWhiteAlpha(0.32, 1), Color::colorWithWhiteAlpha(0.16, 1)});
    context.setFillColor(Color::colorWithWhiteAlpha(0.03, 1));
    context.fillRect({{bounds.minX(), mid}, {bounds.size.width, bounds.maxY() - mid}});
  } else {
    ControlDrawing::fillPathWithVerticalGradient(context, bounds, {rgb(176, 189, 205), rgb(109, 132, 162)});
  }
  // A dark rule along the bottom edge and a light one along the top.
  const Color edge = tint ? ControlDrawing::shade(*tint, -0.5)
                          : (barStyle == kBarStyleBlack ? Color::blackColor() : rgb(45, 54, 66));
  context.setFillColor(edge);
  context.fillRect({{bounds.minX(), bounds.maxY() - 1}, {bounds.size.width, 1}});
  context.setFillColor(Color::colorWithWhiteAlpha(1, barStyle == kBarStyleBlack && !tint ? 0.15 : 0.4));
  context.fillRect({bounds.origin, {bounds.size.width, 1}});
  context.restoreGState();
}

Color BarAppearance::buttonColor(int barStyle, const std::optional<Color>& tint, int itemStyle) {
  if (itemStyle == BarButtonItem::kStyleDone) return rgb(42, 94, 206);
  if (tint) return ControlDrawing::shade(*tint, -0.2);
  if (barStyle == kBarStyleBlack) return Color::colorWithWhiteAlpha(0.12, 1);
  return rgb(88, 114, 152);
}

void BarAppearance::drawButtonFrame(GraphicsContext& context, Rect rect, Color color, bool highlighted,
                                    bool backArrow) {
  const Color base = highlighted ? ControlDrawing::shade(color, -0.35) : color;
  context.saveGState();
  auto path = [&](Rect r) {
    if (backArrow) {
      ControlDrawing::addBackArrow(context, r, 5);
    } else {
      ControlDrawing::addRoundedRect(context, r, 5);
    }
  };
  // The dark border is the shape itself; the body is inset by one point.
  path(rect);
  context.setFillColor(ControlDrawing::shade(base, -0.55));
  context.fillPath();
  const Rect inner{{rect.minX() + 1, rect.minY() + 1}, {rect.size.width - 2, rect.size.height - 2}};
  path(inner);
  ControlDrawing::fillPathWithVerticalGradient(context, inner,
                                               {ControlDrawing::shade(base, 0.25), base, ControlDrawing::shade(base, -0.1)});
  context.restoreGState();
}

double BarAppearance::contentWidth(const BarButtonItem& item) {
  if (item.isSpace()) return 0;
  if (item.image()) return std::min(item.image()->size().width, 44.0);
  const auto system = item.systemItem();
  if (system && (*system == BarButtonItem::kSystemItemAction || *system == BarButtonItem::kSystemItemRefresh ||
                 *system == BarButtonItem::kSystemItemStop)) {
    return kIconSide;
  }
  auto font = buttonFont();
  if (!font || item.title().empty()) return 0;
  return graphics::StringDrawing::sizeWithFont(item.title(), *font).width;
}

void BarAppearance::drawItemContent(GraphicsContext& context, const BarButtonItem& item, Rect rect) {
  if (item.isSpace()) return;
  if (item.image()) {
    const graphics::Size size = item.image()->size();
    const double w = std::min(size.width, rect.size.width);
    const double h = std::min(size.height, rect.size.height);
    context.drawImageInRect(item.image(), {{rect.midX() - w / 2, rect.midY() - h / 2}, {w, h}});
    return;
  }
  if (const auto system = item.systemItem(); system && item.title().empty()) {
    drawSystemIcon(context, *system, {{rect.midX() - kIconSide / 2, rect.midY() - kIconSide / 2}, {kIconSide, kIconSide}});
    return;
  }
  if (auto font = buttonFont()) {
    ControlDrawing::drawCentredLine(context, item.title(), rect, *font, Color::whiteColor());
  }
}

void BarAppearance::drawSystemIcon(GraphicsContext& context, int systemItem, Rect r) {
  constexpr double pi = std::numbers::pi;
  context.saveGState();
  context.setStrokeColor(Color::whiteColor());
  context.setFillColor(Color::whiteColor());
  context.setLineWidth(2);
  const double x = r.minX(), y = r.minY(), s = r.size.width;
  switch (systemItem) {
    case BarButtonItem::kSystemItemAction:
      // An open box with an arrow curving up and out of it to the right.
      context.moveToPoint(x + s * 0.45, y + s * 0.35);
      context.addLineToPoint(x + 1, y + s * 0.35);
      context.addLineToPoint(x + 1, y + s - 1);
      context.addLineToPoint(x + s * 0.8, y + s - 1);
      context.addLineToPoint(x + s * 0.8, y + s * 0.7);
      context.strokePath();
      context.moveToPoint(x + s * 0.35, y + s * 0.75);
      context.addArc(x + s * 0.75, y + s * 0.75, s * 0.4, pi, 1.5 * pi, 0);
      context.strokePath();
      context.moveToPoint(x + s * 0.72, y + s * 0.12);
      context.addLineToPoint(x + s, y + s * 0.35);
      context.addLineToPoint(x + s * 0.72, y + s * 0.58);
      context.closePath();
      context.fillPath();
      break;
    case BarButtonItem::kSystemItemRefresh:
      // Most of a circle with an arrowhead at its open end.
      context.addArc(r.midX(), r.midY(), s * 0.36, -0.35 * pi, 1.45 * pi, 0);
      context.strokePath();
      context.moveToPoint(r.midX() + s * 0.08, y);
      context.addLineToPoint(r.midX() + s * 0.42, y + s * 0.16);
      context.addLineToPoint(r.midX() + s * 0.1, y + s * 0.38);
      context.closePath();
      context.fillPath();
      break;
    case BarButtonItem::kSystemItemStop:
      context.setLineWidth(2.5);
      context.moveToPoint(x + s * 0.2, y + s * 0.2);
      context.addLineToPoint(x + s * 0.8, y + s * 0.8);
      context.moveToPoint(x + s * 0.8, y + s * 0.2);
      context.addLineToPoint(x + s * 0.2, y + s * 0.8);
      context.strokePath();
      break;
    default:
      break;
  }
  context.restoreGState();
}

}  // namespace platform::ui
