#pragma once
// What alerts and action sheets have in common: a titled box of buttons
// that the platform shows above everything, one at a time, and that takes
// every touch while it shows. AlertView and ActionSheet derive from it; they
// decide where the box goes, how it looks and whom they tell about a press.
//
// How to use (through a subclass):
//   auto alert = AlertView::create("Whoops", "That page is too large to load.", {}, "OK", {});
//   int index = alert->addButtonWithTitle("Retry");   // indices follow the order of adding
//   alert->show();
// When the user lifts a finger inside a button, the platform takes the box
// off the screen, tells the subclass's delegate the button's index and then
// shows the next box that was waiting (PopupPresenter).
//
// Ownership: the platform holds a box strongly from show() until a button
// is pressed or it is dismissed in code, so nobody else needs to keep it;
// a box that is its own delegate can own itself. The box owns its buttons.
// Main thread only.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Size.h"
#include "platform/ui/PopupButton.h"
#include "platform/ui/View.h"

namespace platform::ui {

class Window;

class PopupView : public View {
 public:
  static constexpr int kNoButton = -1;

  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title);

  // Adds a button after the others and answers its index.
  int addButtonWithTitle(std::string title);
  int numberOfButtons() const { return static_cast<int>(buttons_.size()); }
  // The empty string for an index that names no button.
  std::string buttonTitleAtIndex(int index) const;
  // The titles in index order.
  std::vector<std::string> buttonTitles() const;
  // kNoButton when there is none.
  int cancelButtonIndex() const { return cancelButtonIndex_; }
  void setCancelButtonIndex(int index);

  // Whether the box is on the screen now (not waiting behind another).
  bool isVisible() const;
  // Takes the box off the screen, or out of the queue when it is still
  // waiting, as the platform does when a button is pressed, but without
  // telling the delegate: code that dismisses a box knows why. Boxes are
  // always removed at once; `animated` is accepted for the platform's sake.
  void dismissWithClickedButtonIndexAnimated(int buttonIndex, bool animated);

  // Places the box for a container of this size (the window's bounds in
  // the current orientation) and lays out its buttons.
  virtual void placeInContainer(graphics::Size container) = 0;
  // Where the box is when it starts to appear; the presenter slides it from
  // there to where placeInContainer put it. A box that starts where it
  // stays (the default) fades in instead.
  virtual graphics::Rect appearingFrame(graphics::Size container) const;
  virtual double appearDuration() const = 0;
  // Whether the dimmed screen is darker at the edges (alerts) or even.
  virtual bool dimsWithVignette() const { return false; }

  // Places the box again in its backdrop after its content changed.
  void layoutSubviews() override;

 protected:
  friend class PopupPresenter;

  // Hands the box to the platform, which shows it in `window` (or the key
  // window) when no other box is showing.
  void presentInWindow(const std::shared_ptr<Window>& window);
  const std::vector<std::shared_ptr<PopupButton>>& buttonViews() const { return buttons_; }
  virtual PopupButton::Look lookForButtonAtIndex(int index) const = 0;
  // Tells the delegate; called once per press, with the box already off the
  // screen and alive until the call returns.
  virtual void didClickButtonAtIndex(int index) = 0;
  // Makes the looks of the buttons follow the indices (cancel, destructive).
  void refreshButtonLooks();
  // After a text or a button changed: draws and places the box again.
  void contentDidChange();

 private:
  std::optional<std::string> title_;
  std::vector<std::shared_ptr<PopupButton>> buttons_;
  int cancelButtonIndex_ = kNoButton;
};

}  // namespace platform::ui
