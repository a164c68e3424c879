#pragma once
// The platform's keeper of alerts and action sheets: shows one box at a
// time as an overlay of its window, over a dimmed screen, with a short
// appear animation; holds every box strongly from show() until a button is
// pressed (or it is dismissed in code); keeps the boxes shown meanwhile in
// a queue, each appearing after the one before it has gone.
//
// A press, in order: the observer hears it, the box leaves the screen, the
// box's delegate is told (the box stays alive through that call even when
// nothing else holds it), and only then does the next waiting box appear,
// so that whatever the delegate does comes before it.
//
// How to use: boxes call present()/dismiss() themselves (AlertView::show,
// ActionSheet::showInView); the front ends set an observer to journal what
// is shown and pressed. A process-wide singleton, never destroyed; main
// thread only.
//
// Ownership: the presenter owns the shown box (through its backdrop, an
// overlay of the window) and the waiting ones; windows are weak links.

#include <deque>
#include <functional>
#include <memory>

#include "platform/ui/PopupBackdrop.h"
#include "platform/ui/PopupView.h"
#include "platform/ui/Window.h"

namespace platform::ui {

class PopupPresenter {
 public:
  struct Observer {
    std::function<void(const PopupView& popup)> shown;
    std::function<void(const PopupView& popup, int buttonIndex)> buttonPressed;
  };

  static PopupPresenter& shared();

  // Queues the box for `window` (or the key window at the time it shows).
  // A box already shown or waiting stays where it is.
  void present(const std::shared_ptr<PopupView>& popup, const std::shared_ptr<Window>& window);
  // Takes the box off the screen or out of the queue, without telling its
  // delegate.
  void dismiss(const PopupView& popup);
  // A finger lifted inside the button with this index of the shown box.
  void buttonPressed(const std::shared_ptr<PopupView>& popup, int buttonIndex);

  std::shared_ptr<PopupView> shownPopup() const { return shown_.popup; }
  std::size_t waitingCount() const { return waiting_.size(); }

  void setObserver(Observer observer) { observer_ = std::move(observer); }

 private:
  struct Entry {
    std::shared_ptr<PopupView> popup;
    std::weak_ptr<Window> window;
  };

  PopupPresenter() = default;
  void showNextIfIdle();
  void display(const Entry& entry, const std::shared_ptr<Window>& window);
  // Takes the shown box off the screen and lets go of it.
  void hideShown();
  // A box shown in a window that has gone can never be answered.
  void forgetShownInLostWindow();

  Entry shown_;
  std::shared_ptr<PopupBackdrop> backdrop_;
  std::deque<Entry> waiting_;
  bool deliveringPress_ = false;
  Observer observer_;
};

}  // namespace platform::ui
