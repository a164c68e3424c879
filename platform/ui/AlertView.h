#pragma once
// The platform's alert: a translucent blue rounded box in the middle of a
// dimmed screen, with a bold white title, a white message and its buttons
// (side by side when there are two, stacked otherwise with Cancel at the
// bottom). It appears above everything, status bar included, and takes
// every touch until a button is pressed.
//
// How to use:
//   auto alert = AlertView::create("Whoops", "Couldn't connect to that page.", {}, "Ok", {});
//   alert->show();                      // nobody needs to keep it
// An alert that acts on its own answer derives from AlertView and
// AlertViewDelegate, is made with std::make_shared and initialized with
// initWithTitleMessageDelegateCancelButtonTitleOtherButtonTitles, naming
// itself as delegate; it may hold a reference to itself until it has been
// answered.
//
// Indices: the cancel button (when there is one) is 0, the other buttons
// follow in order, and addButtonWithTitle appends. Texts may be as long as
// anyone likes: they wrap, and the box never grows beyond the screen.
//
// Ownership: the delegate is a weak link. The platform holds the alert from
// show() until it is answered or dismissed (PopupPresenter). Main thread
// only.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/AlertViewDelegate.h"
#include "platform/ui/PopupView.h"

namespace platform::ui {

class AlertView : public PopupView {
 public:
  static std::shared_ptr<AlertView> create(std::optional<std::string> title, std::optional<std::string> message,
                                           std::weak_ptr<AlertViewDelegate> delegate,
                                           std::optional<std::string> cancelButtonTitle,
                                           std::vector<std::string> otherButtonTitles);
  // For alerts made with std::make_shared (subclasses): sets the texts, the
  // delegate and the buttons. Call once.
  void initWithTitleMessageDelegateCancelButtonTitleOtherButtonTitles(
      std::optional<std::string> title, std::optional<std::string> message,
      std::weak_ptr<AlertViewDelegate> delegate, std::optional<std::string> cancelButtonTitle,
      std::vector<std::string> otherButtonTitles);

  const std::optional<std::string>& message() const { return message_; }
  void setMessage(std::optional<std::string> message);
  std::shared_ptr<AlertViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<AlertViewDelegate> delegate) { delegate_ = std::move(delegate); }

  // Shows the alert in the key window now, or after the alerts and sheets
  // shown before it.
  void show();

  void placeInContainer(graphics::Size container) override;
  double appearDuration() const override;
  bool dimsWithVignette() const override { return true; }
  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 protected:
  PopupButton::Look lookForButtonAtIndex(int index) const override;
  void didClickButtonAtIndex(int index) override;

 private:
  // The buttons from top to bottom (rows of one, or one row of two).
  std::vector<int> buttonOrder() const;

  std::optional<std::string> message_;
  std::weak_ptr<AlertViewDelegate> delegate_;
  graphics::Rect titleBox_;
  graphics::Rect messageBox_;
};

}  // namespace platform::ui
