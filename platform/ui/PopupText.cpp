#include "platform/ui/PopupText.h"

#include <algorithm>

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/graphics/TextLimit.h"
#include "platform/ui/ControlDrawing.h"

namespace platform::ui {

using graphics::Color;
using graphics::Rect;

namespace {

// The engraved look: a darker copy one point above the text.
constexpr double kShadowOffset = -1;
constexpr Color kShadowColor = Color::colorWithWhiteAlpha(0, 0.5);

Rect raised(Rect rect) { return {{rect.origin.x, rect.origin.y + kShadowOffset}, rect.size}; }

// Code points a shown character may take with its accents and joiners.
constexpr std::size_t kMarksPerCharacter = 4;

}  // namespace

std::string PopupText::capForLayout(std::string_view text) {
  return graphics::TextLimit{kMarksPerCharacter * kMaxShownCharacters, kMaxShownCharacters}.apply(text);
}

double PopupText::heightOfLines(std::string_view text, const graphics::Font& font, double width, double maxHeight) {
  if (text.empty() || width <= 0 || maxHeight <= 0) return 0;
  const auto size =
      graphics::StringDrawing::sizeWithFontConstrainedToSize(capForLayout(text), font, {width, maxHeight});
  return size.height;
}

void PopupText::drawLines(graphics::GraphicsContext& context, std::string_view text, const graphics::Font& font,
                          Rect box, Color color, bool shadow) {
  const std::string shown = capForLayout(text);
  if (shown.empty() || box.size.width <= 0 || box.size.height <= 0) return;
  auto draw = [&](Rect where, Color ink) {
    context.saveGState();
    context.setFillColor(ink);
    graphics::StringDrawing::drawInRectWithFont(context, shown, where, font, graphics::LineBreakMode::WordWrap,
                                                graphics::TextAlignment::Center);
    context.restoreGState();
  };
  if (shadow) draw(raised(box), kShadowColor);
  draw(box, color);
}

void PopupText::drawButtonTitle(graphics::GraphicsContext& context, std::string_view text, const graphics::Font& font,
                                Rect box, Color color, bool shadow) {
  const std::string shown = capForLayout(text);
  if (shadow) ControlDrawing::drawCentredLine(context, shown, raised(box), font, kShadowColor);
  ControlDrawing::drawCentredLine(context, shown, box, font, color);
}

}  // namespace platform::ui
