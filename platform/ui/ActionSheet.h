#pragma once
// The platform's action sheet: a dark translucent panel that slides up from
// the bottom of the dimmed screen with an optional title and a column of
// large rounded buttons (a red destructive one, light ordinary ones and a
// dark Cancel set a little apart). It lies above everything and takes
// every touch until a button is pressed.
//
// How to use:
//   auto sheet = ActionSheet::create(std::nullopt, weakSelf, "Cancel", std::nullopt,
//                                    {"Launch Safari", "Email link"});
//   sheet->showFromToolbar(toolbar);    // nobody needs to keep it
//
// Indices: the destructive button (when there is one) is 0, the other
// buttons follow in order, Cancel comes last of those given here, and
// addButtonWithTitle appends after it. The sheet spans the screen's width
// in the current orientation and never grows beyond its height.
//
// Ownership: the delegate is a weak link. The platform holds the sheet
// from show until it is answered or dismissed (PopupPresenter). Main
// thread only.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/ActionSheetDelegate.h"
#include "platform/ui/PopupView.h"
#include "platform/ui/Toolbar.h"

namespace platform::ui {

class ActionSheet : public PopupView {
 public:
  static std::shared_ptr<ActionSheet> create(std::optional<std::string> title,
                                             std::weak_ptr<ActionSheetDelegate> delegate,
                                             std::optional<std::string> cancelButtonTitle,
                                             std::optional<std::string> destructiveButtonTitle,
                                             std::vector<std::string> otherButtonTitles);
  // For sheets made with std::make_shared (subclasses). Call once.
  void initWithTitleDelegateCancelButtonTitleDestructiveButtonTitleOtherButtonTitles(
      std::optional<std::string> title, std::weak_ptr<ActionSheetDelegate> delegate,
      std::optional<std::string> cancelButtonTitle, std::optional<std::string> destructiveButtonTitle,
      std::vector<std::string> otherButtonTitles);

  std::shared_ptr<ActionSheetDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ActionSheetDelegate> delegate) { delegate_ = std::move(delegate); }
  // kNoButton when there is none.
  int destructiveButtonIndex() const { return destructiveButtonIndex_; }
  void setDestructiveButtonIndex(int index);

  // Both show the sheet at the bottom of the window the view is in (the key
  // window when it is in none), now or after the boxes shown before it.
  void showFromToolbar(const std::shared_ptr<Toolbar>& toolbar);
  void showInView(const std::shared_ptr<View>& view);

  void placeInContainer(graphics::Size container) override;
  graphics::Rect appearingFrame(graphics::Size container) const override;
  double appearDuration() const override;
  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 protected:
  PopupButton::Look lookForButtonAtIndex(int index) const override;
  void didClickButtonAtIndex(int index) override;

 private:
  std::weak_ptr<ActionSheetDelegate> delegate_;
  int destructiveButtonIndex_ = kNoButton;
  graphics::Rect titleBox_;
};

}  // namespace platform::ui
