#include "platform/ui/Label.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/StringDrawing.h"

namespace platform::ui {

using graphics::Rect;
using graphics::Size;
using graphics::StringDrawing;

Label::Label() : font_(graphics::Font::systemFontOfSize(kDefaultFontSize)) {
  setBackgroundColor(graphics::Color::whiteColor());
  setUserInteractionEnabled(false);
}

void Label::setText(std::string text) {
  text_ = std::move(text);
  setNeedsDisplay();
}

void Label::setFont(std::shared_ptr<graphics::Font> font) {
  font_ = font ? std::move(font) : graphics::Font::systemFontOfSize(kDefaultFontSize);
  setNeedsDisplay();
}

void Label::setTextColor(graphics::Color color) {
  textColor_ = color;
  setNeedsDisplay();
}

void Label::setTextAlignment(graphics::TextAlignment alignment) {
  textAlignment_ = alignment;
  setNeedsDisplay();
}

void Label::setLineBreakMode(graphics::LineBreakMode mode) {
  lineBreakMode_ = mode;
  setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
  numberOfLines_ = std::max(0, lines);
  setNeedsDisplay();
}

void Label::setAdjustsFontSizeToFitWidth(bool adjusts) {
  adjustsFontSizeToFitWidth_ = adjusts;
  setNeedsDisplay();
}

void Label::setMinimumFontSize(double size) {
  minimumFontSize_ = std::max(0.0, size);
  setNeedsDisplay();
}

std::shared_ptr<graphics::Font> Label::fontForDrawing() const {
  if (!font_ || !adjustsFontSizeToFitWidth_ || numberOfLines_ != 1 || text_.empty()) return font_;
  double actual = font_->pointSize();
  StringDrawing::sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(
      text_, *font_, minimumFontSize_, &actual, bounds().size.width, lineBreakMode_);
  if (actual >= font_->pointSize()) return font_;
  auto smaller = font_->fontWithSize(actual);
  return smaller ? smaller : font_;
}

Rect Label::textRect() const {
  const auto font = fontForDrawing();
  const Rect b = bounds();
  if (!font || text_.empty()) return {{0, b.midY()}, {0, 0}};
  Size size;
  if (numberOfLines_ == 1) {
    // One line of the font's height, however wide the text.
    size = StringDrawing::sizeWithFont(text_, *font);
    size.width = std::min(size.width, b.size.width);
  } else {
    double height = b.size.height;
    if (numberOfLines_ > 0) {
      const double line = StringDrawing::sizeWithFont("X", *font).height;
      height = std::min(height, line * numberOfLines_);
    }
    size = StringDrawing::sizeWithFontConstrainedToSize(text_, *font, {b.size.width, height}, lineBreakMode_);
  }
  // The lines are aligned within the whole width; only the height is the
  // text's own.
  return {{0, b.midY() - size.height / 2}, {b.size.width, size.height}};
}

void Label::drawRect(graphics::GraphicsContext& context, Rect) {
  const auto font = fontForDrawing();
  if (!font || text_.empty()) return;
  context.saveGState();
  context.setFillColor(textColor_);
  StringDrawing::drawInRectWithFont(context, text_, textRect(), *font, lineBreakMode_, textAlignment_);
  context.restoreGState();
}

}  // namespace platform::ui
