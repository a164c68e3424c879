#include "platform/ui/PopupButton.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Colors.h"
#include "platform/ui/ControlDrawing.h"
#include "platform/ui/PopupText.h"

namespace platform::ui {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Rect;

namespace {

constexpr auto rgb = Color::rgb;

constexpr double kAlertCornerRadius = 6;
constexpr double kSheetCornerRadius = 10;
constexpr double kAlertTitleSize = 18;
constexpr double kSheetTitleSize = 19;
constexpr double kTitleInset = 6;

// The alert's buttons are panes of frosted glass on the blue: brighter at
// the top, a light rim, and a bright blue when pressed.
constexpr Color kAlertGlassTop = Color::colorWithWhiteAlpha(1, 0.34);
constexpr Color kAlertGlassMiddle = Color::colorWithWhiteAlpha(1, 0.14);
constexpr Color kAlertGlassBottom = Color::colorWithWhiteAlpha(1, 0.08);
constexpr Color kAlertRim = Color::colorWithWhiteAlpha(1, 0.55);
constexpr Color kAlertShade = Color::colorWithWhiteAlpha(0, 0.35);
constexpr Color kAlertPressedTop = Color::colorWithRedGreenBlueAlpha(0.45, 0.65, 1, 0.95);
constexpr Color kAlertPressedBottom = Color::colorWithRedGreenBlueAlpha(0.13, 0.35, 0.85, 0.95);

constexpr Color kSheetLightTop = rgb(255, 255, 255);
constexpr Color kSheetLightBottom = rgb(212, 212, 214);
constexpr Color kSheetRedTop = rgb(238, 88, 82);
constexpr Color kSheetRedBottom = rgb(196, 22, 18);
constexpr Color kSheetDarkTop = rgb(112, 112, 114);
constexpr Color kSheetDarkBottom = rgb(40, 40, 42);
constexpr Color kSheetBorder = Color::colorWithWhiteAlpha(0, 0.7);
constexpr Color kSheetDarkTitle = rgb(20, 20, 20);

Rect inset(Rect rect, double by) {
  return {{rect.origin.x + by, rect.origin.y + by}, {rect.size.width - 2 * by, rect.size.height - 2 * by}};
}

}  // namespace

std::shared_ptr<PopupButton> PopupButton::buttonWithLook(Look look, std::string title) {
  auto button = std::make_shared<PopupButton>();
  button->look_ = look;
  button->initWithFrame({});
  button->setOpaque(false);
  button->setTitleForState(std::move(title), kStateNormal);
  return button;
}

void PopupButton::setLook(Look look) {
  look_ = look;
  setNeedsDisplay();
}

void PopupButton::drawRect(GraphicsContext& context, Rect) {
  if (look_ == Look::Alert) {
    drawAlertButton(context);
  } else {
    drawSheetButton(context);
  }
}

void PopupButton::drawAlertButton(GraphicsContext& context) const {
  const Rect b = bounds();
  context.saveGState();
  // A dark line under the rim sets the glass off from the box's gloss.
  ControlDrawing::addRoundedRect(context, inset(b, 0.5), kAlertCornerRadius);
  context.setStrokeColor(kAlertShade);
  context.setLineWidth(1);
  context.strokePath();
  const Rect pane = inset(b, 1.5);
  ControlDrawing::addRoundedRect(context, pane, kAlertCornerRadius - 1);
  if (isHighlighted()) {
    ControlDrawing::fillPathWithVerticalGradient(context, pane, {kAlertPressedTop, kAlertPressedBottom});
  } else {
    ControlDrawing::fillPathWithVerticalGradient(context, pane,
                                                 {kAlertGlassTop, kAlertGlassMiddle, kAlertGlassBottom});
  }
  ControlDrawing::addRoundedRect(context, pane, kAlertCornerRadius - 1);
  context.setStrokeColor(kAlertRim);
  context.strokePath();
  context.restoreGState();
  if (auto font = graphics::Font::boldSystemFontOfSize(kAlertTitleSize)) {
    PopupText::drawButtonTitle(context, currentTitle(), *font, inset(b, kTitleInset), Color::whiteColor(), true);
  }
}

void PopupButton::drawSheetButton(GraphicsContext& context) const {
  const Rect b = bounds();
  Color top = kSheetLightTop, bottom = kSheetLightBottom;
  if (look_ == Look::SheetDestructive) top = kSheetRedTop, bottom = kSheetRedBottom;
  if (look_ == Look::SheetCancel) top = kSheetDarkTop, bottom = kSheetDarkBottom;
  if (isHighlighted()) top = Colors::kPressedButtonTop, bottom = Colors::kPressedButtonBottom;
  const Rect outline = inset(b, 0.5);
  context.saveGState();
  ControlDrawing::addRoundedRect(context, outline, kSheetCornerRadius);
  ControlDrawing::fillPathWithVerticalGradient(context, outline, {top, bottom});
  ControlDrawing::addRoundedRect(context, outline, kSheetCornerRadius);
  context.setStrokeColor(kSheetBorder);
  context.setLineWidth(1);
  context.strokePath();
  context.restoreGState();
  const bool darkTitle = look_ == Look::Sheet && !isHighlighted();
  if (auto font = graphics::Font::boldSystemFontOfSize(kSheetTitleSize)) {
    PopupText::drawButtonTitle(context, currentTitle(), *font, inset(b, kTitleInset),
                               darkTitle ? kSheetDarkTitle : Color::whiteColor(), !darkTitle);
  }
}

}  // namespace platform::ui
