#include "platform/ui/Event.h"

#include "platform/ui/Touch.h"

namespace platform::ui {

TouchSet Event::touchesForView(const std::shared_ptr<View>& view) const {
  TouchSet result;
  for (const auto& touch : touches_) {
    if (touch->view() == view) result.insert(touch);
  }
  return result;
}

}  // namespace platform::ui
