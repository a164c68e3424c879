#include "platform/ui/PopupView.h"

#include "platform/ui/PopupPresenter.h"
#include "platform/ui/Window.h"

namespace platform::ui {

void PopupView::setTitle(std::optional<std::string> title) {
  title_ = std::move(title);
  contentDidChange();
}

int PopupView::addButtonWithTitle(std::string title) {
  const int index = numberOfButtons();
  auto button = PopupButton::buttonWithLook(lookForButtonAtIndex(index), std::move(title));
  std::weak_ptr<View> weakSelf = weak_from_this();
  button->addTargetActionForControlEvents(
      [weakSelf, index](Control&) {
        if (auto self = std::static_pointer_cast<PopupView>(weakSelf.lock())) {
          PopupPresenter::shared().buttonPressed(self, index);
        }
      },
      Control::kEventTouchUpInside);
  buttons_.push_back(button);
  addSubview(button);
  contentDidChange();
  return index;
}

std::string PopupView::buttonTitleAtIndex(int index) const {
  if (index < 0 || index >= numberOfButtons()) return {};
  return buttons_[static_cast<std::size_t>(index)]->titleForState(Control::kStateNormal);
}

std::vector<std::string> PopupView::buttonTitles() const {
  std::vector<std::string> titles;
  for (int i = 0; i < numberOfButtons(); ++i) titles.push_back(buttonTitleAtIndex(i));
  return titles;
}

void PopupView::setCancelButtonIndex(int index) {
  cancelButtonIndex_ = index >= 0 && index < numberOfButtons() ? index : kNoButton;
  refreshButtonLooks();
}

void PopupView::refreshButtonLooks() {
  for (int i = 0; i < numberOfButtons(); ++i) {
    buttons_[static_cast<std::size_t>(i)]->setLook(lookForButtonAtIndex(i));
  }
  contentDidChange();
}

void PopupView::contentDidChange() {
  setNeedsDisplay();
  setNeedsLayout();
  // A box on the screen is placed again now, not at the next render, so
  // that a touch right after the change finds the buttons where they show.
  if (superview()) layoutIfNeeded();
}

void PopupView::layoutSubviews() {
  if (auto backdrop = superview()) placeInContainer(backdrop->bounds().size);
}

bool PopupView::isVisible() const { return PopupPresenter::shared().shownPopup().get() == this; }

void PopupView::dismissWithClickedButtonIndexAnimated(int, bool) { PopupPresenter::shared().dismiss(*this); }

graphics::Rect PopupView::appearingFrame(graphics::Size) const { return frame(); }

void PopupView::presentInWindow(const std::shared_ptr<Window>& window) {
  PopupPresenter::shared().present(std::static_pointer_cast<PopupView>(shared_from_this()), window);
}

}  // namespace platform::ui
