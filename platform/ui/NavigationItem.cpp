#include "platform/ui/NavigationItem.h"

namespace platform::ui {

std::shared_ptr<NavigationItem> NavigationItem::initWithTitle(std::string title) {
  auto item = std::make_shared<NavigationItem>(Passkey{});
  item->title_ = std::move(title);
  return item;
}

}  // namespace platform::ui
