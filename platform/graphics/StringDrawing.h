#pragma once
// Measuring and drawing text, the platform's string-drawing operations. Text
// is UTF-8 and is laid out by Pango through the app's font map (see
// FontConfiguration) with 1 point = 1 pixel at scale 1. Drawing uses the
// context's fill colour and alpha.
//
// Wrapping breaks lines at word boundaries (and inside a word only when it is
// wider than the box). Where a height limits the text, only whole lines that
// fit are counted and drawn, and at least the first line, cut to the height.
// Sizes are rounded up to whole points and never exceed the limits given.
// Measuring a text and drawing it into a box of the measured size show the
// same lines. An empty text measures (0, 0) and draws nothing.

#include <string_view>

#include "platform/graphics/Rect.h"
#include "platform/graphics/TextAttributes.h"

namespace platform::graphics {

class Font;
class GraphicsContext;

class StringDrawing {
 public:
  // The size of the text on a single line.
  static Size sizeWithFont(std::string_view text, const Font& font);
  // The size of the text wrapped within size.width, at most size.height tall.
  static Size sizeWithFontConstrainedToSize(std::string_view text, const Font& font, Size size,
                                            LineBreakMode lineBreakMode = LineBreakMode::WordWrap);
  // For labels that shrink their text to fit their width: the largest size
  // from the font's own down to minFontSize (at least 1 point) at which the
  // text fits on one line of `width`, stored in *actualFontSize (when not
  // null), and the single-line size of the text at that size. When even the
  // minimum is too wide, the minimum is chosen and the returned width is
  // `width`: the line is then cut or truncated as lineBreakMode says.
  static Size sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(std::string_view text, const Font& font,
                                                                         double minFontSize,
                                                                         double* actualFontSize, double width,
                                                                         LineBreakMode lineBreakMode);

  // Draws the text on a single line with its top-left corner at the point.
  // Returns its size.
  static Size drawAtPointWithFont(GraphicsContext& context, std::string_view text, Point point, const Font& font);
  // Draws the text wrapped within the rectangle's width from its top, aligned
  // within its width, cut off at its bottom. Returns the size drawn.
  static Size drawInRectWithFont(GraphicsContext& context, std::string_view text, Rect rect, const Font& font,
                                 LineBreakMode lineBreakMode = LineBreakMode::WordWrap,
                                 TextAlignment alignment = TextAlignment::Left);
};

}  // namespace platform::graphics
