#include "platform/ui/NavigationBar.h"

#include <algorithm>

#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/StringDrawing.h"
#include "platform/ui/BarAppearance.h"
#include "platform/ui/ControlDrawing.h"
#include "platform/ui/Touch.h"

namespace platform::ui {

using graphics::Point;
using graphics::Rect;

namespace {

constexpr double kMargin = 5;
constexpr double kButtonPadding = 10;
constexpr double kBackArrowExtra = 6;
constexpr double kMinButtonWidth = 44;
// A button never takes more than this share of the bar, so the title keeps
// room even under a long back title.
constexpr double kMaxButtonShare = 0.4;
// Fingers are wider than the buttons: a tap this close still counts.
constexpr double kTouchSlop = 6;

double buttonWidth(double content, double barWidth, double extra) {
  return std::clamp(content + 2 * kButtonPadding + extra, kMinButtonWidth,
                    std::max(kMinButtonWidth, barWidth * kMaxButtonShare));
}

}  // namespace

void NavigationBar::setItemsAnimated(std::vector<std::shared_ptr<NavigationItem>> items, bool) {
  items.erase(std::remove(items.begin(), items.end(), nullptr), items.end());
  items_ = std::move(items);
  pressed_ = Part::None;
  setNeedsDisplay();
}

void NavigationBar::pushNavigationItemAnimated(std::shared_ptr<NavigationItem> item, bool) {
  if (!item || std::find(items_.begin(), items_.end(), item) != items_.end()) return;
  items_.push_back(std::move(item));
  pressed_ = Part::None;
  setNeedsDisplay();
}

std::shared_ptr<NavigationItem> NavigationBar::popNavigationItemAnimated(bool) {
  if (items_.size() < 2) return nullptr;
  auto top = items_.back();
  items_.pop_back();
  pressed_ = Part::None;
  setNeedsDisplay();
  return top;
}

std::shared_ptr<NavigationItem> NavigationBar::topItem() const { return items_.empty() ? nullptr : items_.back(); }

std::shared_ptr<NavigationItem> NavigationBar::backItem() const {
  return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

NavigationBar::Layout NavigationBar::layout() const {
  Layout result;
  const Rect b = bounds();
  const double buttonTop = (b.size.height - BarAppearance::kButtonHeight) / 2;
  const auto top = topItem();
  double leftEdge = kMargin;
  double rightEdge = b.size.width - kMargin;
  if (top && top->rightBarButtonItem()) {
    const auto& item = *top->rightBarButtonItem();
    const double w = item.width() > 0 ? item.width() : buttonWidth(BarAppearance::contentWidth(item), b.size.width, 0);
    result.right = Rect{{rightEdge - w, buttonTop}, {w, BarAppearance::kButtonHeight}};
    rightEdge -= w + kMargin;
  }
  if (top && top->leftBarButtonItem()) {
    const auto& item = *top->leftBarButtonItem();
    const double w = item.width() > 0 ? item.width() : buttonWidth(BarAppearance::contentWidth(item), b.size.width, 0);
    result.left = Rect{{leftEdge, buttonTop}, {w, BarAppearance::kButtonHeight}};
    leftEdge += w + kMargin;
  } else if (const auto below = backItem(); below && !top->hidesBackButton()) {
    const auto& custom = below->backBarButtonItem();
    result.backTitle = custom && !custom->title().empty() ? custom->title() : below->title();
    if (result.backTitle.empty()) result.backTitle = kDefaultBackTitle;
    double content = 0;
    if (auto font = graphics::Font::boldSystemFontOfSize(12)) {
      content = graphics::StringDrawing::sizeWithFont(result.backTitle, *font).width;
    }
    const double w = buttonWidth(content, b.size.width, kBackArrowExtra);
    result.back = Rect{{leftEdge, buttonTop}, {w, BarAppearance::kButtonHeight}};
    leftEdge += w + kMargin;
  }
  // Centred on the bar when the buttons leave room for that, otherwise in
  // the space between them.
  const double available = std::max(0.0, rightEdge - leftEdge);
  double titleWidth = 0;
  if (top && !top->title().empty()) {
    if (auto font = graphics::Font::boldSystemFontOfSize(kTitleFontSize)) {
      titleWidth = std::min(available, graphics::StringDrawing::sizeWithFont(top->title(), *font).width);
    }
  }
  const double x = std::clamp(b.midX() - titleWidth / 2, leftEdge, std::max(leftEdge, rightEdge - titleWidth));
  result.title = Rect{{x, 0}, {titleWidth, b.size.height}};
  return result;
}

std::optional<std::string> NavigationBar::backButtonTitle() const {
  const Layout l = layout();
  if (!l.back) return std::nullopt;
  return l.backTitle;
}

std::optional<Rect> NavigationBar::backButtonFrame() const { return layout().back; }
std::optional<Rect> NavigationBar::leftButtonFrame() const { return layout().left; }
std::optional<Rect> NavigationBar::rightButtonFrame() const { return layout().right; }
Rect NavigationBar::titleFrame() const { return layout().title; }

void NavigationBar::drawRect(graphics::GraphicsContext& context, Rect) {
  BarAppearance::drawBarBackground(context, bounds(), barStyle_, tintColor_);
  const Layout l = layout();
  const auto top = topItem();
  auto drawItem = [&](const std::shared_ptr<BarButtonItem>& item, const Rect& frame, Part part) {
    context.saveGState();
    if (!item->isEnabled()) context.setAlpha(0.5);
    BarAppearance::drawButtonFrame(context, frame, BarAppearance::buttonColor(barStyle_, tintColor_, item->style()),
                                   pressed_ == part && pressedInside_, false);
    BarAppearance::drawItemContent(context, *item, frame);
    context.restoreGState();
  };
  if (l.left) drawItem(top->leftBarButtonItem(), *l.left, Part::Left);
  if (l.right) drawItem(top->rightBarButtonItem(), *l.right, Part::Right);
  if (l.back) {
    BarAppearance::drawButtonFrame(context, *l.back,
                                   BarAppearance::buttonColor(barStyle_, tintColor_, BarButtonItem::kStyleBordered),
                                   pressed_ == Part::Back && pressedInside_, true);
    if (auto font = graphics::Font::boldSystemFontOfSize(12)) {
      const Rect text{{l.back->minX() + kBackArrowExtra + kButtonPadding / 2, l.back->minY()},
                      {l.back->size.width - kBackArrowExtra - kButtonPadding, l.back->size.height}};
      ControlDrawing::drawCentredLine(context, l.backTitle, text, *font, graphics::Color::whiteColor());
    }
  }
  if (top && !top->title().empty() && l.title.size.width > 0) {
    if (auto font = graphics::Font::boldSystemFontOfSize(kTitleFontSize)) {
      // A dark shadow one point above, as the platform embosses bar titles.
      ControlDrawing::drawCentredLine(context, top->title(), {{l.title.minX(), l.title.minY() - 1}, l.title.size},
                                      *font, graphics::Color::colorWithWhiteAlpha(0, 0.45));
      ControlDrawing::drawCentredLine(context, top->title(), l.title, *font, graphics::Color::whiteColor());
    }
  }
}

bool NavigationBar::isInside(Part part, Point p) const {
  const Layout l = layout();
  const std::optional<Rect>& frame = part == Part::Back ? l.back : part == Part::Left ? l.left : l.right;
  if (part == Part::None || !frame) return false;
  // The whole height of the bar belongs to its buttons.
  return p.x >= frame->minX() - kTouchSlop && p.x < frame->maxX() + kTouchSlop && p.y >= -kTouchSlop &&
         p.y < bounds().size.height + kTouchSlop;
}

NavigationBar::Part NavigationBar::partAt(Point p) const {
  const auto top = topItem();
  if (!top) return Part::None;
  for (Part part : {Part::Back, Part::Left, Part::Right}) {
    if (!isInside(part, p)) continue;
    if (part == Part::Left && !top->leftBarButtonItem()->isEnabled()) return Part::None;
    if (part == Part::Right && !top->rightBarButtonItem()->isEnabled()) return Part::None;
    return part;
  }
  return Part::None;
}

void NavigationBar::touchesBeganWithEvent(const TouchSet& touches, Event&) {
  const Point p = (*touches.begin())->locationInView(shared_from_this());
  pressed_ = partAt(p);
  pressedInside_ = pressed_ != Part::None;
  setNeedsDisplay();
}

void NavigationBar::touchesMovedWithEvent(const TouchSet& touches, Event&) {
  if (pressed_ == Part::None) return;
  pressedInside_ = isInside(pressed_, (*touches.begin())->locationInView(shared_from_this()));
  setNeedsDisplay();
}

void NavigationBar::touchesEndedWithEvent(const TouchSet& touches, Event&) {
  const Part part = pressed_;
  pressed_ = Part::None;
  pressedInside_ = false;
  setNeedsDisplay();
  if (part != Part::None && isInside(part, (*touches.begin())->locationInView(shared_from_this()))) fire(part);
}

void NavigationBar::touchesCancelledWithEvent(const TouchSet&, Event&) {
  pressed_ = Part::None;
  pressedInside_ = false;
  setNeedsDisplay();
}

void NavigationBar::fire(Part part) {
  // The action may pop the screen that owns this bar's item, or the bar.
  auto self = shared_from_this();
  const auto top = topItem();
  if (!top) return;
  if (part == Part::Back) {
    if (backButtonHandler_) {
      auto handler = backButtonHandler_;
      handler(*this);
    } else {
      popNavigationItemAnimated(true);
    }
    return;
  }
  auto item = part == Part::Left ? top->leftBarButtonItem() : top->rightBarButtonItem();
  if (item) item->sendAction();
}

}  // namespace platform::ui
