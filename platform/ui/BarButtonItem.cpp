#include "platform/ui/BarButtonItem.h"

#include "platform/graphics/TextLimit.h"

namespace platform::ui {

std::shared_ptr<BarButtonItem> BarButtonItem::initWithTitleStyleTargetAction(std::string title, int style,
                                                                             Action action) {
  auto item = std::make_shared<BarButtonItem>(Passkey{});
  item->setTitle(title);
  item->style_ = style;
  item->action_ = std::move(action);
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::initWithBarButtonSystemItemTargetAction(int systemItem,
                                                                                      Action action) {
  auto item = std::make_shared<BarButtonItem>(Passkey{});
  item->systemItem_ = systemItem;
  item->action_ = std::move(action);
  if (systemItem == kSystemItemDone) {
    item->title_ = "Done";
    item->style_ = kStyleDone;
  } else if (systemItem == kSystemItemCancel) {
    item->title_ = "Cancel";
    item->style_ = kStyleBordered;
  }
  return item;
}

std::shared_ptr<BarButtonItem> BarButtonItem::initWithImageStyleTargetAction(std::shared_ptr<graphics::Image> image,
                                                                             int style, Action action) {
  auto item = std::make_shared<BarButtonItem>(Passkey{});
  item->image_ = std::move(image);
  item->style_ = style;
  item->action_ = std::move(action);
  return item;
}

void BarButtonItem::sendAction() {
  if (!enabled_ || !action_) return;
  // Copy: the action may replace itself or drop the last reference to us.
  auto action = action_;
  action(*this);
}

void BarButtonItem::setTitle(std::string_view title) { title_ = graphics::TextLimit::kTitle.apply(title); }

}  // namespace platform::ui
