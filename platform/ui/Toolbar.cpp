#include "platform/ui/Toolbar.h"

#include <algorithm>

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/BarAppearance.h"
#include "platform/ui/Touch.h"

namespace platform::ui {

using graphics::Point;
using graphics::Rect;

namespace {

constexpr double kEdgeMargin = 6;
constexpr double kGap = 10;
constexpr double kPlainPadding = 6;
constexpr double kBorderedPadding = 10;
constexpr double kMinTextButtonWidth = 44;

bool isFlexible(const BarButtonItem& item) { return item.systemItem() == BarButtonItem::kSystemItemFlexibleSpace; }

bool isBordered(const BarButtonItem& item) { return item.style() != BarButtonItem::kStylePlain; }

double naturalWidth(const BarButtonItem& item) {
  if (item.width() > 0) return item.width();
  if (item.isSpace()) return 0;
  const double content = BarAppearance::contentWidth(item);
  if (isBordered(item)) return std::max(content + 2 * kBorderedPadding, kMinTextButtonWidth);
  return content + 2 * kPlainPadding;
}

}  // namespace

void Toolbar::setItemsAnimated(std::vector<std::shared_ptr<BarButtonItem>> items, bool) {
  items.erase(std::remove(items.begin(), items.end(), nullptr), items.end());
  items_ = std::move(items);
  pressed_.reset();
  setNeedsDisplay();
}

std::vector<Rect> Toolbar::itemFrames() const {
  const Rect b = bounds();
  std::vector<double> widths;
  double fixed = 0;
  int flexible = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    widths.push_back(naturalWidth(*items_[i]));
    fixed += widths.back();
    if (isFlexible(*items_[i])) ++flexible;
    // A gap between two neighbours that are both real buttons; spaces
    // bring their own width instead.
    if (i > 0 && !items_[i]->isSpace() && !items_[i - 1]->isSpace()) fixed += kGap;
  }
  const double free = std::max(0.0, b.size.width - 2 * kEdgeMargin - fixed);
  std::vector<Rect> frames;
  double x = kEdgeMargin;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0 && !items_[i]->isSpace() && !items_[i - 1]->isSpace()) x += kGap;
    double w = widths[i];
    if (isFlexible(*items_[i]) && items_[i]->width() <= 0) w = free / flexible;
    const double h = isBordered(*items_[i]) ? BarAppearance::kButtonHeight : b.size.height;
    frames.push_back({{x, (b.size.height - h) / 2}, {w, h}});
    x += w;
  }
  return frames;
}

void Toolbar::drawRect(graphics::GraphicsContext& context, Rect) {
  BarAppearance::drawBarBackground(context, bounds(), barStyle_, tintColor_);
  const auto frames = itemFrames();
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const auto& item = *items_[i];
    if (item.isSpace()) continue;
    const bool highlighted = pressed_ == i && pressedInside_;
    context.saveGState();
    if (!item.isEnabled()) context.setAlpha(0.5);
    if (isBordered(item)) {
      BarAppearance::drawButtonFrame(context, frames[i], BarAppearance::buttonColor(barStyle_, tintColor_, item.style()),
                                     highlighted, false);
    } else if (highlighted) {
      // Plain items light up with a soft white glow behind the icon.
      context.setFillColor(graphics::Color::colorWithWhiteAlpha(1, 0.35));
      const double side = std::min(frames[i].size.width, frames[i].size.height) * 0.8;
      context.addArc(frames[i].midX(), frames[i].midY(), side / 2, 0, 6.283185307179586, 0);
      context.fillPath();
    }
    BarAppearance::drawItemContent(context, item, frames[i]);
    context.restoreGState();
  }
}

bool Toolbar::isInside(std::size_t index, Point p) const {
  const auto frames = itemFrames();
  if (index >= frames.size()) return false;
  // The whole height of the bar belongs to its items.
  return p.x >= frames[index].minX() && p.x < frames[index].maxX() && p.y >= 0 && p.y < bounds().size.height;
}

std::optional<std::size_t> Toolbar::itemAt(Point p) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i]->isSpace() || !items_[i]->isEnabled()) continue;
    if (isInside(i, p)) return i;
  }
  return std::nullopt;
}

void Toolbar::touchesBeganWithEvent(const TouchSet& touches, Event&) {
  pressed_ = itemAt((*touches.begin())->locationInView(shared_from_this()));
  pressedInside_ = pressed_.has_value();
  setNeedsDisplay();
}

void Toolbar::touchesMovedWithEvent(const TouchSet& touches, Event&) {
  if (!pressed_) return;
  pressedInside_ = isInside(*pressed_, (*touches.begin())->locationInView(shared_from_this()));
  setNeedsDisplay();
}

void Toolbar::touchesEndedWithEvent(const TouchSet& touches, Event&) {
  const auto index = pressed_;
  pressed_.reset();
  pressedInside_ = false;
  setNeedsDisplay();
  if (!index || !isInside(*index, (*touches.begin())->locationInView(shared_from_this()))) return;
  // Keep the toolbar and the item alive: the action may replace the items.
  auto self = shared_from_this();
  auto item = items_[*index];
  item->sendAction();
}

void Toolbar::touchesCancelledWithEvent(const TouchSet&, Event&) {
  pressed_.reset();
  pressedInside_ = false;
  setNeedsDisplay();
}

}  // namespace platform::ui
