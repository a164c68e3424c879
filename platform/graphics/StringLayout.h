#pragma once
// A text laid out once, to be measured and drawn as often as needed. Views
// that draw the same text again and again (the banner, at every redraw)
// keep one instead of laying the text out at each draw: layout is the
// costly part of drawing text.
//
//   auto layout = StringLayout::layoutWithFontConstrainedToSize(text, *font, {227, 48});
//   Size size = layout->size();              // as StringDrawing measures it
//   layout->drawInRect(context, {origin, size});
//
// The rules are StringDrawing's: a layout measures what
// StringDrawing::sizeWithFont... measures, and drawing it into a box of its
// size shows what StringDrawing::drawInRectWithFont shows there. Immutable;
// shared by pointer. The caller limits text from outside first (TextLimit).

#include <memory>
#include <string_view>

#include "platform/graphics/Rect.h"
#include "platform/graphics/TextAttributes.h"

namespace platform::graphics {

class Font;
class GraphicsContext;
class TextLayout;

class StringLayout {
  struct Passkey {};

 public:
  // The text wrapped within size.width, at most size.height tall.
  static std::shared_ptr<StringLayout> layoutWithFontConstrainedToSize(
      std::string_view text, const Font& font, Size size, LineBreakMode lineBreakMode = LineBreakMode::WordWrap);
  // The text on a single line.
  static std::shared_ptr<StringLayout> layoutWithFont(std::string_view text, const Font& font);

  Size size() const;
  int lineCount() const;
  // Draws the lines in the context's fill colour and alpha: left-aligned
  // from the rectangle's top-left corner, cut off at its bottom.
  void drawInRect(GraphicsContext& context, Rect rect) const;

  // Public for std::make_shared only; use the factories.
  explicit StringLayout(Passkey);
  ~StringLayout();
  StringLayout(const StringLayout&) = delete;
  StringLayout& operator=(const StringLayout&) = delete;

 private:
  std::unique_ptr<TextLayout> layout_;
};

}  // namespace platform::graphics
