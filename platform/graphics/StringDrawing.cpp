#include "platform/graphics/StringDrawing.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/graphics/Font.h"
#include "platform/graphics/FontConfiguration.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"
#include "platform/graphics/TextSizeCache.h"

namespace platform::graphics {

namespace {

// Owns a Pango context for one call.
struct ContextRef {
  PangoContext* context;
  explicit ContextRef(PangoContext* c) : context(c) {}
  ~ContextRef() { g_object_unref(context); }
  ContextRef(const ContextRef&) = delete;
  ContextRef& operator=(const ContextRef&) = delete;
};

// Measuring is main-thread work: one context serves every measurement, and
// the sizes of recent texts are remembered.
Size measure(std::string_view text, const Font& font, const TextLayout::Constraints& constraints) {
  static PangoContext* const measuring = FontConfiguration::createContext();
  static TextSizeCache* const sizes = new TextSizeCache();
  const unsigned serial = pango_font_map_get_serial(FontConfiguration::fontMap());
  if (auto known = sizes->find(text, font, constraints, serial)) return *known;
  const Size size = TextLayout(measuring, text, font, constraints).size();
  sizes->remember(text, font, constraints, serial, size);
  return size;
}

// Lays the text out for the context's surface and transformation and draws
// it into the box in the fill colour.
Size draw(GraphicsContext& graphics, std::string_view text, Rect box, const Font& font,
          const TextLayout::Constraints& constraints) {
  cairo_t* cairo = graphics.cairoContext();
  ContextRef ref(FontConfiguration::createContext());
  pango_cairo_update_context(cairo, ref.context);
  const TextLayout layout(ref.context, text, font, constraints);
  const Color fill = graphics.fillColor();
  cairo_save(cairo);
  cairo_set_source_rgba(cairo, fill.red, fill.green, fill.blue, fill.alpha * graphics.alpha());
  layout.draw(cairo, box);
  cairo_restore(cairo);
  return layout.size();
}

}  // namespace

Size StringDrawing::sizeWithFont(std::string_view text, const Font& font) {
  TextLayout::Constraints constraints;
  constraints.singleLine = true;
  return measure(text, font, constraints);
}

Size StringDrawing::sizeWithFontConstrainedToSize(std::string_view text, const Font& font, Size size,
                                                  LineBreakMode lineBreakMode) {
  TextLayout::Constraints constraints;
  constraints.width = size.width;
  constraints.height = size.height;
  constraints.lineBreakMode = lineBreakMode;
  return measure(text, font, constraints);
}

Size StringDrawing::sizeWithFontMinFontSizeActualFontSizeForWidthLineBreakMode(std::string_view text,
                                                                              const Font& font, double minFontSize,
                                                                              double* actualFontSize, double width,
                                                                              LineBreakMode lineBreakMode) {
  width = width > 0 ? width : 0;
  const double largest = font.pointSize();
  const double smallest = std::clamp(std::isnan(minFontSize) ? largest : minFontSize, std::min(1.0, largest), largest);
  double fontSize = largest;
  Size size = sizeWithFont(text, font);
  // Without hinted metrics the width grows almost in proportion to the size:
  // scaling by the overshoot lands on or just above the answer, and a few
  // rounds absorb what kerning and rounding add.
  for (int round = 0; round < 8 && size.width > width && fontSize > smallest; ++round) {
    const double shrink = width / size.width;
    fontSize = std::max(smallest, fontSize * (round < 4 ? shrink : std::min(shrink, 0.99)));
    size = sizeWithFont(text, *font.fontWithSize(fontSize));
  }
  if (size.width > width) {
    fontSize = smallest;
    TextLayout::Constraints constraints;
    constraints.singleLine = true;
    constraints.width = width;
    constraints.lineBreakMode = lineBreakMode;
    size = measure(text, *font.fontWithSize(fontSize), constraints);
    size.width = std::min(size.width, width);
  }
  if (actualFontSize != nullptr) {
    *actualFontSize = fontSize;
  }
  return size;
}

Size StringDrawing::drawAtPointWithFont(GraphicsContext& context, std::string_view text, Point point,
                                        const Font& font) {
  TextLayout::Constraints constraints;
  constraints.singleLine = true;
  const Size size = sizeWithFont(text, font);
  return draw(context, text, Rect{point, size}, font, constraints);
}

Size StringDrawing::drawInRectWithFont(GraphicsContext& context, std::string_view text, Rect rect, const Font& font,
                                       LineBreakMode lineBreakMode, TextAlignment alignment) {
  TextLayout::Constraints constraints;
  constraints.width = rect.size.width;
  constraints.height = rect.size.height;
  constraints.lineBreakMode = lineBreakMode;
  constraints.alignment = alignment;
  return draw(context, text, rect, font, constraints);
}

}  // namespace platform::graphics
