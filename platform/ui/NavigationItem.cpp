#include "platform/ui/NavigationItem.h"

#include "platform/graphics/TextLimit.h"

namespace platform::ui {

std::shared_ptr<NavigationItem> NavigationItem::initWithTitle(std::string title) {
  auto item = std::make_shared<NavigationItem>(Passkey{});
  item->setTitle(title);
  return item;
}

void NavigationItem::setTitle(std::string_view title) { title_ = graphics::TextLimit::kTitle.apply(title); }

}  // namespace platform::ui
