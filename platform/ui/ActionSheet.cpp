#include "platform/ui/ActionSheet.h"

#include <algorithm>

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/ControlDrawing.h"
#include "platform/ui/PopupText.h"
#include "platform/ui/Window.h"

namespace platform::ui {

using graphics::Color;
using graphics::GraphicsContext;
using graphics::Rect;

namespace {

constexpr double kSideMargin = 20;
constexpr double kTopMargin = 18;
constexpr double kTitleTopMargin = 12;
constexpr double kTitleToButtons = 12;
constexpr double kBottomMargin = 18;
constexpr double kButtonHeight = 46;
constexpr double kButtonGap = 8;
constexpr double kCancelGap = 8;  // extra room that sets Cancel apart
constexpr double kTitleFontSize = 13;
constexpr double kAppearSeconds = 0.3;

constexpr Color kPanelTop = Color::colorWithWhiteAlpha(0.10, 0.78);
constexpr Color kPanelBottom = Color::colorWithWhiteAlpha(0.0, 0.88);
constexpr Color kEdgeDark = Color::colorWithWhiteAlpha(0, 0.9);
constexpr Color kEdgeLight = Color::colorWithWhiteAlpha(1, 0.3);
constexpr Color kTitleColor = Color::colorWithWhiteAlpha(1, 0.9);

}  // namespace

std::shared_ptr<ActionSheet> ActionSheet::create(std::optional<std::string> title,
                                                 std::weak_ptr<ActionSheetDelegate> delegate,
                                                 std::optional<std::string> cancelButtonTitle,
                                                 std::optional<std::string> destructiveButtonTitle,
                                                 std::vector<std::string> otherButtonTitles) {
  auto sheet = std::make_shared<ActionSheet>();
  sheet->initWithTitleDelegateCancelButtonTitleDestructiveButtonTitleOtherButtonTitles(
      std::move(title), std::move(delegate), std::move(cancelButtonTitle), std::move(destructiveButtonTitle),
      std::move(otherButtonTitles));
  return sheet;
}

void ActionSheet::initWithTitleDelegateCancelButtonTitleDestructiveButtonTitleOtherButtonTitles(
    std::optional<std::string> title, std::weak_ptr<ActionSheetDelegate> delegate,
    std::optional<std::string> cancelButtonTitle, std::optional<std::string> destructiveButtonTitle,
    std::vector<std::string> otherButtonTitles) {
  initWithFrame({});
  setOpaque(false);
  setTitle(std::move(title));
  delegate_ = std::move(delegate);
  if (destructiveButtonTitle) setDestructiveButtonIndex(addButtonWithTitle(std::move(*destructiveButtonTitle)));
  for (auto& other : otherButtonTitles) addButtonWithTitle(std::move(other));
  if (cancelButtonTitle) setCancelButtonIndex(addButtonWithTitle(std::move(*cancelButtonTitle)));
}

void ActionSheet::setDestructiveButtonIndex(int index) {
  destructiveButtonIndex_ = index >= 0 && index < numberOfButtons() ? index : kNoButton;
  refreshButtonLooks();
}

void ActionSheet::showFromToolbar(const std::shared_ptr<Toolbar>& toolbar) { showInView(toolbar); }

void ActionSheet::showInView(const std::shared_ptr<View>& view) { presentInWindow(view ? view->window() : nullptr); }

double ActionSheet::appearDuration() const { return kAppearSeconds; }

PopupButton::Look ActionSheet::lookForButtonAtIndex(int index) const {
  if (index == destructiveButtonIndex_) return PopupButton::Look::SheetDestructive;
  if (index == cancelButtonIndex()) return PopupButton::Look::SheetCancel;
  return PopupButton::Look::Sheet;
}

void ActionSheet::didClickButtonAtIndex(int index) {
  if (auto delegate = this->delegate()) delegate->actionSheetClickedButtonAtIndex(*this, index);
}

void ActionSheet::placeInContainer(graphics::Size container) {
  const double width = container.width;
  const double buttonWidth = std::max(0.0, width - 2 * kSideMargin);
  const int buttons = numberOfButtons();
  const bool cancelSetApart = cancelButtonIndex() > 0;
  const double buttonsHeight = buttons == 0 ? 0
                                            : buttons * kButtonHeight + (buttons - 1) * kButtonGap +
                                                  (cancelSetApart ? kCancelGap : 0);

  // The title gets what the buttons leave of the screen.
  auto font = graphics::Font::systemFontOfSize(kTitleFontSize);
  const double room = container.height - kTitleTopMargin - kTitleToButtons - buttonsHeight - kBottomMargin;
  const double titleHeight = title() && font ? PopupText::heightOfLines(*title(), *font, buttonWidth, room) : 0;
  titleBox_ = {{kSideMargin, kTitleTopMargin}, {buttonWidth, titleHeight}};
  double y = titleHeight > 0 ? kTitleTopMargin + titleHeight + kTitleToButtons : kTopMargin;

  for (int i = 0; i < buttons; ++i) {
    if (i > 0) y += kButtonGap;
    if (i == cancelButtonIndex() && cancelSetApart) y += kCancelGap;
    buttonViews()[static_cast<std::size_t>(i)]->setFrame({{kSideMargin, y}, {buttonWidth, kButtonHeight}});
    y += kButtonHeight;
  }
  const double height = y + kBottomMargin;
  const Rect placed{{0, container.height - height}, {width, height}};
  if (frame() != placed) setFrame(placed);
}

Rect ActionSheet::appearingFrame(graphics::Size container) const {
  // Just below the bottom edge, from where it slides up.
  return {{0, container.height}, frame().size};
}

void ActionSheet::drawRect(GraphicsContext& context, Rect) {
  const Rect b = bounds();
  context.saveGState();
  context.addRect(b);
  ControlDrawing::fillPathWithVerticalGradient(context, b, {kPanelTop, kPanelBottom});
  context.setFillColor(kEdgeDark);
  context.fillRect({{0, 0}, {b.size.width, 1}});
  context.setFillColor(kEdgeLight);
  context.fillRect({{0, 1}, {b.size.width, 1}});
  context.restoreGState();
  if (auto font = graphics::Font::systemFontOfSize(kTitleFontSize); font && title()) {
    PopupText::drawLines(context, *title(), *font, titleBox_, kTitleColor, true);
  }
}

}  // namespace platform::ui
