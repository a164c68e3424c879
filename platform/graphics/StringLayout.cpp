#include "platform/graphics/StringLayout.h"

#include <pango/pangocairo.h>

#include "platform/graphics/FontConfiguration.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextLayout.h"

namespace platform::graphics {

namespace {

std::unique_ptr<TextLayout> laidOut(std::string_view text, const Font& font, const TextLayout::Constraints& constraints) {
  // The Pango layout keeps its own reference to the context.
  PangoContext* context = FontConfiguration::createContext();
  auto layout = std::make_unique<TextLayout>(context, text, font, constraints);
  g_object_unref(context);
  return layout;
}

}  // namespace

StringLayout::StringLayout(Passkey) {}

StringLayout::~StringLayout() = default;

std::shared_ptr<StringLayout> StringLayout::layoutWithFontConstrainedToSize(std::string_view text, const Font& font,
                                                                           Size size, LineBreakMode lineBreakMode) {
  TextLayout::Constraints constraints;
  constraints.width = size.width;
  constraints.height = size.height;
  constraints.lineBreakMode = lineBreakMode;
  auto layout = std::make_shared<StringLayout>(Passkey{});
  layout->layout_ = laidOut(text, font, constraints);
  return layout;
}

std::shared_ptr<StringLayout> StringLayout::layoutWithFont(std::string_view text, const Font& font) {
  TextLayout::Constraints constraints;
  constraints.singleLine = true;
  auto layout = std::make_shared<StringLayout>(Passkey{});
  layout->layout_ = laidOut(text, font, constraints);
  return layout;
}

Size StringLayout::size() const { return layout_->size(); }

int StringLayout::lineCount() const { return layout_->lineCount(); }

void StringLayout::drawInRect(GraphicsContext& context, Rect rect) const {
  cairo_t* cairo = context.cairoContext();
  const Color fill = context.fillColor();
  cairo_save(cairo);
  cairo_set_source_rgba(cairo, fill.red, fill.green, fill.blue, fill.alpha * context.alpha());
  layout_->draw(cairo, rect);
  cairo_restore(cairo);
}

}  // namespace platform::graphics
