#include "platform/ui/Button.h"

#include <algorithm>
#include <numbers>

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Colors.h"
#include "platform/ui/ControlDrawing.h"

namespace platform::ui {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Rect;

namespace {

constexpr auto rgb = Color::rgb;

constexpr double kCornerRadius = 10;
constexpr double kTitleFontSize = 15;
constexpr Color kRoundedTitleBlue = rgb(50, 79, 133);
constexpr Color kBorderGrey = rgb(150, 150, 150);

}  // namespace

std::shared_ptr<Button> Button::buttonWithType(int type) {
  auto button = std::make_shared<Button>();
  const bool known = type == kTypeRoundedRect || type == kTypeInfoDark || type == kTypeInfoLight;
  button->buttonType_ = known ? type : kTypeCustom;
  const bool info = type == kTypeInfoDark || type == kTypeInfoLight;
  button->initWithFrame({{0, 0}, info ? graphics::Size{18, 19} : graphics::Size{0, 0}});
  button->setOpaque(false);
  if (type == kTypeRoundedRect) {
    button->setTitleColorForState(kRoundedTitleBlue, kStateNormal);
    button->setTitleColorForState(Color::whiteColor(), kStateHighlighted);
    button->setTitleColorForState(Color::colorWithWhiteAlpha(0.55, 1), kStateDisabled);
  } else {
    button->setTitleColorForState(Color::whiteColor(), kStateNormal);
  }
  return button;
}

unsigned Button::lookupState(unsigned state) {
  if (state & kStateDisabled) return kStateDisabled;
  if (state & kStateHighlighted) return kStateHighlighted;
  if (state & kStateSelected) return kStateSelected;
  return kStateNormal;
}

void Button::setTitleForState(std::string title, unsigned state) {
  titles_[lookupState(state)] = std::move(title);
  setNeedsDisplay();
}

std::string Button::titleForState(unsigned state) const {
  if (auto it = titles_.find(lookupState(state)); it != titles_.end()) return it->second;
  if (auto it = titles_.find(kStateNormal); it != titles_.end()) return it->second;
  return {};
}

void Button::setTitleColorForState(Color color, unsigned state) {
  titleColors_[lookupState(state)] = color;
  setNeedsDisplay();
}

Color Button::titleColorForState(unsigned state) const {
  if (auto it = titleColors_.find(lookupState(state)); it != titleColors_.end()) return it->second;
  if (auto it = titleColors_.find(kStateNormal); it != titleColors_.end()) return it->second;
  return Color::whiteColor();
}

void Button::setImageForState(std::shared_ptr<graphics::Image> image, unsigned state) {
  images_[lookupState(state)] = std::move(image);
  setNeedsDisplay();
}

std::shared_ptr<graphics::Image> Button::imageForState(unsigned state) const {
  if (auto it = images_.find(lookupState(state)); it != images_.end() && it->second) return it->second;
  if (auto it = images_.find(kStateNormal); it != images_.end()) return it->second;
  return nullptr;
}

bool Button::pointInsideWithEvent(graphics::Point point, Event* event) const {
  if (buttonType_ != kTypeInfoDark && buttonType_ != kTypeInfoLight) return Control::pointInsideWithEvent(point, event);
  const Rect b = bounds();
  const double w = std::max(b.size.width, kMinimumTouchSide);
  const double h = std::max(b.size.height, kMinimumTouchSide);
  const Rect area{{b.midX() - w / 2, b.midY() - h / 2}, {w, h}};
  return area.containsPoint(point);
}

void Button::drawRect(GraphicsContext& context, Rect) {
  if (buttonType_ == kTypeRoundedRect) drawRoundedRect(context);
  if (buttonType_ == kTypeInfoDark || buttonType_ == kTypeInfoLight) {
    drawInfo(context);
    return;
  }
  if (auto image = imageForState(state())) context.drawImageInRect(image, bounds());
  drawTitle(context, titleColorForState(state()));
}

void Button::drawRoundedRect(GraphicsContext& context) const {
  const Rect b = bounds();
  const Rect outline{{b.minX() + 0.5, b.minY() + 0.5}, {b.size.width - 1, b.size.height - 1}};
  context.saveGState();
  ControlDrawing::addRoundedRect(context, outline, kCornerRadius);
  if (isHighlighted()) {
    ControlDrawing::fillPathWithVerticalGradient(context, b, {Colors::kPressedButtonTop, Colors::kPressedButtonBottom});
  } else {
    context.setFillColor(Color::whiteColor());
    context.fillPath();
  }
  ControlDrawing::addRoundedRect(context, outline, kCornerRadius);
  context.setStrokeColor(kBorderGrey);
  context.setLineWidth(1);
  context.strokePath();
  context.restoreGState();
}

void Button::drawInfo(GraphicsContext& context) const {
  const Rect b = bounds();
  const double radius = std::min(b.size.width, b.size.height) / 2;
  if (radius <= 0) return;
  const bool dark = buttonType_ == kTypeInfoDark;
  const Color disc = dark ? Color::colorWithWhiteAlpha(isHighlighted() ? 0.45 : 0.22, 1) : Color::whiteColor();
  const Color mark = dark ? Color::whiteColor() : Color::colorWithWhiteAlpha(0.22, 1);
  context.saveGState();
  if (!isEnabled()) context.setAlpha(0.5);
  context.addArc(b.midX(), b.midY(), radius, 0, 2 * std::numbers::pi, 0);
  context.setFillColor(disc);
  context.fillPath();
  // The "i": a dot over a short stem, sized to the disc.
  context.setFillColor(mark);
  context.addArc(b.midX(), b.midY() - radius * 0.45, radius * 0.16, 0, 2 * std::numbers::pi, 0);
  context.fillPath();
  const double stem = radius * 0.26;
  context.fillRect({{b.midX() - stem / 2, b.midY() - radius * 0.15}, {stem, radius * 0.75}});
  context.restoreGState();
}

void Button::drawTitle(GraphicsContext& context, Color color) const {
  const std::string title = currentTitle();
  if (title.empty()) return;
  auto font = graphics::Font::boldSystemFontOfSize(kTitleFontSize);
  if (!font) return;
  const Rect b = bounds();
  ControlDrawing::drawCentredLine(context, title, {{b.minX() + 4, b.minY()}, {b.size.width - 8, b.size.height}}, *font,
                                  color);
}

}  // namespace platform::ui
