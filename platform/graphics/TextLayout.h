#pragma once
// One laid-out text, shared by measuring and drawing so that both apply the
// same rules: wrapping within a width, and at most as many whole lines as
// fit in a height (always at least the first, cut to the height when even
// it does not fit). Every line is as tall as its font's ascent, descent and
// line gap. Sizes are rounded up to whole points, as the platform's text
// measurement did, and never exceed the given width and height.
//
// Text bytes that are not UTF-8 (ad texts come from the network) are laid
// out as U+FFFD, as is a NUL byte. Used by StringDrawing; a TextLayout lives
// for one call and owns its Pango layout.

#include <cairo.h>
#include <pango/pango.h>

#include <optional>
#include <string_view>
#include <vector>

#include "platform/graphics/Rect.h"
#include "platform/graphics/TextAttributes.h"

namespace platform::graphics {

class Font;

class TextLayout {
 public:
  struct Constraints {
    // Wrapping width in points; nullopt lays every paragraph out on one line.
    std::optional<double> width;
    // Height the lines must fit in; nullopt for no limit.
    std::optional<double> height;
    LineBreakMode lineBreakMode = LineBreakMode::WordWrap;
    TextAlignment alignment = TextAlignment::Left;
    // Line breaks in the text do not break the line (shown as glyphs).
    bool singleLine = false;
  };

  TextLayout(PangoContext* context, std::string_view text, const Font& font, const Constraints& constraints);
  ~TextLayout();
  TextLayout(const TextLayout&) = delete;
  TextLayout& operator=(const TextLayout&) = delete;

  // The size of the lines shown; (0, 0) for an empty text.
  Size size() const { return size_; }
  int lineCount() const { return static_cast<int>(lines_.size()); }

  // Draws the lines shown into the box with the current source of `cairo`:
  // aligned within the box's width, the first line's top at the box's top,
  // cut off at its bottom. Restores the Cairo state and path it found.
  void draw(cairo_t* cairo, Rect box) const;

 private:
  struct Line {
    PangoLayoutLine* line;
    double x, top, bottom, baseline, width;  // points, layout coordinates
  };

  PangoLayout* layout_;
  std::vector<Line> lines_;
  Size size_;
  bool wrapped_ = false;
  TextAlignment alignment_;
};

}  // namespace platform::graphics
