#include "platform/ui/AlertView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ControlDrawing.h"
#include "platform/ui/PopupText.h"

namespace platform::ui {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Rect;

namespace {

constexpr double kBoxWidth = 284;
constexpr double kScreenMargin = 10;  // the least room between the box and the screen's edges
constexpr double kSideInset = 12;
constexpr double kTopMargin = 16;
constexpr double kBottomMargin = 15;
constexpr double kTitleToMessage = 6;
constexpr double kTextToButtons = 14;
constexpr double kButtonHeight = 43;
constexpr double kRowGap = 8;
constexpr double kColumnGap = 6;
constexpr double kTitleFontSize = 18;
constexpr double kMessageFontSize = 16;
constexpr double kCornerRadius = 9;
constexpr double kBorderWidth = 2;
constexpr double kGlossDepth = 28;
constexpr double kAppearSeconds = 0.2;

// Deep blue glass with a light rim and a shine across its top.
constexpr Color kBoxTop = Color::colorWithRedGreenBlueAlpha(0.13, 0.23, 0.47, 0.88);
constexpr Color kBoxBottom = Color::colorWithRedGreenBlueAlpha(0.04, 0.10, 0.30, 0.9);
constexpr Color kRim = Color::colorWithWhiteAlpha(1, 0.85);
constexpr Color kShineTop = Color::colorWithWhiteAlpha(1, 0.38);
constexpr Color kShineBottom = Color::colorWithWhiteAlpha(1, 0.08);

}  // namespace

std::shared_ptr<AlertView> AlertView::create(std::optional<std::string> title, std::optional<std::string> message,
                                             std::weak_ptr<AlertViewDelegate> delegate,
                                             std::optional<std::string> cancelButtonTitle,
                                             std::vector<std::string> otherButtonTitles) {
  auto alert = std::make_shared<AlertView>();
  alert->initWithTitleMessageDelegateCancelButtonTitleOtherButtonTitles(
      std::move(title), std::move(message), std::move(delegate), std::move(cancelButtonTitle),
      std::move(otherButtonTitles));
  return alert;
}

void AlertView::initWithTitleMessageDelegateCancelButtonTitleOtherButtonTitles(
    std::optional<std::string> title, std::optional<std::string> message, std::weak_ptr<AlertViewDelegate> delegate,
    std::optional<std::string> cancelButtonTitle, std::vector<std::string> otherButtonTitles) {
  initWithFrame({{0, 0}, {kBoxWidth, 0}});
  setOpaque(false);
  setTitle(std::move(title));
  message_ = std::move(message);
  delegate_ = std::move(delegate);
  if (cancelButtonTitle) setCancelButtonIndex(addButtonWithTitle(std::move(*cancelButtonTitle)));
  for (auto& other : otherButtonTitles) addButtonWithTitle(std::move(other));
}

void AlertView::setMessage(std::optional<std::string> message) {
  message_ = std::move(message);
  contentDidChange();
}

void AlertView::show() { presentInWindow(nullptr); }

double AlertView::appearDuration() const { return kAppearSeconds; }

PopupButton::Look AlertView::lookForButtonAtIndex(int) const { return PopupButton::Look::Alert; }

void AlertView::didClickButtonAtIndex(int index) {
  if (auto delegate = this->delegate()) delegate->alertViewClickedButtonAtIndex(*this, index);
}

std::vector<int> AlertView::buttonOrder() const {
  std::vector<int> order;
  for (int i = 0; i < numberOfButtons(); ++i) order.push_back(i);
  // In a stack, Cancel closes the list, where the thumb expects it.
  if (numberOfButtons() > 2 && cancelButtonIndex() != kNoButton) {
    order.erase(order.begin() + cancelButtonIndex());
    order.push_back(cancelButtonIndex());
  }
  return order;
}

void AlertView::placeInContainer(graphics::Size container) {
  const double boxWidth = std::min(kBoxWidth, std::max(0.0, container.width - 2 * kScreenMargin));
  const double maxBoxHeight = std::max(0.0, container.height - 2 * kScreenMargin);
  const double textWidth = std::max(0.0, boxWidth - 2 * kSideInset);
  const int buttons = numberOfButtons();
  const bool sideBySide = buttons == 2;
  const int rows = sideBySide ? 1 : buttons;
  const double buttonsHeight = rows == 0 ? 0 : rows * kButtonHeight + (rows - 1) * kRowGap;

  // The texts share what the buttons and margins leave of the screen: the
  // title first, the message whatever remains.
  double room = maxBoxHeight - kTopMargin - kBottomMargin - (rows > 0 ? kTextToButtons + buttonsHeight : 0);
  double y = kTopMargin;
  auto titleFont = graphics::Font::boldSystemFontOfSize(kTitleFontSize);
  const double titleHeight =
      title() && titleFont ? PopupText::heightOfLines(*title(), *titleFont, textWidth, room) : 0;
  titleBox_ = {{kSideInset, y}, {textWidth, titleHeight}};
  y += titleHeight;
  room -= titleHeight;
  auto messageFont = graphics::Font::systemFontOfSize(kMessageFontSize);
  const double gap = titleHeight > 0 ? kTitleToMessage : 0;
  const double messageHeight =
      message_ && messageFont ? PopupText::heightOfLines(*message_, *messageFont, textWidth, room - gap) : 0;
  messageBox_ = {{kSideInset, y + (messageHeight > 0 ? gap : 0)}, {textWidth, messageHeight}};
  if (messageHeight > 0) y += gap + messageHeight;

  if (rows > 0) {
    y += kTextToButtons;
    const auto order = buttonOrder();
    const double columnWidth = sideBySide ? (textWidth - kColumnGap) / 2 : textWidth;
    for (std::size_t slot = 0; slot < order.size(); ++slot) {
      const auto s = static_cast<double>(slot);
      const Rect place = sideBySide
                             ? Rect{{kSideInset + s * (columnWidth + kColumnGap), y}, {columnWidth, kButtonHeight}}
                             : Rect{{kSideInset, y + s * (kButtonHeight + kRowGap)}, {columnWidth, kButtonHeight}};
      buttonViews()[static_cast<std::size_t>(order[slot])]->setFrame(place);
    }
    y += buttonsHeight;
  }
  const double boxHeight = y + kBottomMargin;
  const Rect placed{{std::round((container.width - boxWidth) / 2), std::round((container.height - boxHeight) / 2)},
                    {boxWidth, boxHeight}};
  if (frame() != placed) setFrame(placed);
}

void AlertView::drawRect(GraphicsContext& context, Rect) {
  const Rect b = bounds();
  const Rect outline{{kBorderWidth / 2, kBorderWidth / 2}, {b.size.width - kBorderWidth, b.size.height - kBorderWidth}};
  context.saveGState();
  ControlDrawing::addRoundedRect(context, outline, kCornerRadius);
  ControlDrawing::fillPathWithVerticalGradient(context, outline, {kBoxTop, kBoxBottom});

  // The shine: the lower half of a wide ellipse centred on the top edge.
  ControlDrawing::addRoundedRect(context, outline, kCornerRadius);
  context.clip();
  context.saveGState();
  context.translate(b.midX(), 0);
  context.scale(b.size.width * 0.75, kGlossDepth);
  context.addArc(0, 0, 1, 0, 2 * std::numbers::pi, 0);
  context.restoreGState();
  ControlDrawing::fillPathWithVerticalGradient(context, {{0, 0}, {b.size.width, kGlossDepth}},
                                               {kShineTop, kShineBottom});
  context.restoreGState();

  context.saveGState();
  ControlDrawing::addRoundedRect(context, outline, kCornerRadius);
  context.setStrokeColor(kRim);
  context.setLineWidth(kBorderWidth);
  context.strokePath();
  context.restoreGState();

  if (auto font = graphics::Font::boldSystemFontOfSize(kTitleFontSize); font && title()) {
    PopupText::drawLines(context, *title(), *font, titleBox_, Color::whiteColor(), true);
  }
  if (auto font = graphics::Font::systemFontOfSize(kMessageFontSize); font && message_) {
    PopupText::drawLines(context, *message_, *font, messageBox_, Color::whiteColor(), true);
  }
}

}  // namespace platform::ui
