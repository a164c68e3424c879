#include "platform/shell/ControlPresser.h"

#include "platform/ui/Button.h"
#include "platform/ui/NavigationBar.h"

namespace platform::shell {

namespace {

bool isShown(const ui::View& view) { return !view.isHidden() && view.alpha() >= 0.01; }

// Depth-first, front-most subviews first, as a finger would find them.
template <typename Visit>
std::shared_ptr<ui::View> findShown(const std::shared_ptr<ui::View>& view, const Visit& matches) {
  if (!isShown(*view)) return nullptr;
  const auto& children = view->subviews();
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    if (auto found = findShown(*it, matches)) return found;
  }
  return matches(view) ? view : nullptr;
}

bool tapInWindow(const std::shared_ptr<ui::Window>& window, const ui::View& view, graphics::Rect rect) {
  const auto center = view.convertPointToView({rect.midX(), rect.midY()}, nullptr);
  return window->sendTouch(ui::TouchPhase::Began, center) && window->sendTouch(ui::TouchPhase::Ended, center);
}

}  // namespace

bool ControlPresser::press(const std::shared_ptr<ui::Window>& window, const std::string& title) {
  if (!window) return false;
  // Buttons are found by where they now lie.
  window->layoutIfNeeded();
  auto titled = [&](const std::shared_ptr<ui::View>& view) {
    const auto* button = dynamic_cast<const ui::Button*>(view.get());
    return button && button->isEnabled() && button->currentTitle() == title;
  };
  if (!window->overlayViews().empty()) {
    auto button = findShown(window->overlayViews().back(), titled);
    return button && tapInWindow(window, *button, button->bounds());
  }
  auto buttonView = findShown(window, titled);
  if (auto button = std::dynamic_pointer_cast<ui::Button>(buttonView)) {
    button->sendActionsForControlEvents(ui::Control::kEventTouchUpInside);
    return true;
  }
  std::optional<graphics::Rect> target;
  auto barView = findShown(window, [&](const std::shared_ptr<ui::View>& view) {
    const auto* candidate = dynamic_cast<const ui::NavigationBar*>(view.get());
    if (!candidate) return false;
    auto top = candidate->topItem();
    if (top && top->leftBarButtonItem() && top->leftBarButtonItem()->title() == title) {
      target = candidate->leftButtonFrame();
    } else if (top && top->rightBarButtonItem() && top->rightBarButtonItem()->title() == title) {
      target = candidate->rightButtonFrame();
    } else if (candidate->backButtonTitle() == title) {
      target = candidate->backButtonFrame();
    }
    return target.has_value();
  });
  return barView && target && tapInWindow(window, *barView, *target);
}

}  // namespace platform::shell
