#include "platform/ui/PopupPresenter.h"

#include <algorithm>

#include "platform/ui/AnimationCurve.h"

namespace platform::ui {

PopupPresenter& PopupPresenter::shared() {
  static auto* presenter = new PopupPresenter();
  return *presenter;
}

void PopupPresenter::present(const std::shared_ptr<PopupView>& popup, const std::shared_ptr<Window>& window) {
  if (!popup) return;
  forgetShownInLostWindow();
  const bool known = shown_.popup == popup || std::any_of(waiting_.begin(), waiting_.end(),
                                                          [&](const Entry& e) { return e.popup == popup; });
  if (known) return;
  waiting_.push_back({popup, window});
  showNextIfIdle();
}

void PopupPresenter::dismiss(const PopupView& popup) {
  if (shown_.popup.get() == &popup) {
    // The caller may hold the box only through us.
    auto keep = shown_.popup;
    hideShown();
    showNextIfIdle();
    return;
  }
  auto it = std::find_if(waiting_.begin(), waiting_.end(), [&](const Entry& e) { return e.popup.get() == &popup; });
  if (it == waiting_.end()) return;
  auto keep = it->popup;
  waiting_.erase(it);
}

void PopupPresenter::buttonPressed(const std::shared_ptr<PopupView>& popup, int buttonIndex) {
  // A button of a box that is no longer on the screen (dismissed in code
  // while the finger was down) does nothing.
  if (!popup || popup != shown_.popup) return;
  if (observer_.buttonPressed) observer_.buttonPressed(*popup, buttonIndex);
  hideShown();
  deliveringPress_ = true;
  popup->didClickButtonAtIndex(buttonIndex);
  deliveringPress_ = false;
  showNextIfIdle();
}

void PopupPresenter::showNextIfIdle() {
  forgetShownInLostWindow();
  if (shown_.popup || deliveringPress_ || waiting_.empty()) return;
  Entry next = waiting_.front();
  auto window = next.window.lock();
  if (!window) window = Window::keyWindow();
  // Without any window the box waits for the next show or dismissal.
  if (!window) return;
  waiting_.pop_front();
  display(next, window);
}

void PopupPresenter::display(const Entry& entry, const std::shared_ptr<Window>& window) {
  shown_ = {entry.popup, window};
  backdrop_ = PopupBackdrop::backdropForPopup(entry.popup);
  window->addOverlayView(backdrop_);

  // The window has placed the box. A box that comes from elsewhere (a sheet
  // from below the screen) slides in solid over the dimmed screen; one that
  // appears where it stays fades in with the dimming.
  const auto popup = entry.popup;
  const graphics::Rect placed = popup->frame();
  const graphics::Rect start = popup->appearingFrame(backdrop_->bounds().size);
  const bool fades = start == placed;
  if (fades) backdrop_->setAlpha(0);
  popup->setFrame(start);
  View::beginAnimationsContext("PopupAppear", nullptr);
  View::setAnimationDuration(popup->appearDuration());
  View::setAnimationCurve(AnimationCurve::EaseOut);
  if (fades) backdrop_->setAlpha(1);
  popup->setFrame(placed);
  View::commitAnimations();

  if (observer_.shown) observer_.shown(*popup);
}

void PopupPresenter::hideShown() {
  if (!shown_.popup) return;
  if (auto window = shown_.window.lock()) window->removeOverlayView(backdrop_);
  shown_.popup->removeFromSuperview();
  shown_ = {};
  backdrop_.reset();
}

void PopupPresenter::forgetShownInLostWindow() {
  if (shown_.popup && shown_.window.expired()) hideShown();
}

}  // namespace platform::ui
