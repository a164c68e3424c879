#pragma once
// What a navigation bar shows for one screen: its title, its left and right
// buttons, and what the screen above it shows as its back button. A title
// may come from outside (a page's title): it is kept cut to one line's worth
// (graphics::TextLimit::kTitle).
//
// Ownership: a ViewController owns its item; a NavigationBar shares the
// items of its stack. Items hold their buttons. Main thread only.

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/BarButtonItem.h"

namespace platform::ui {

class NavigationItem {
  struct Passkey {};

 public:
  static std::shared_ptr<NavigationItem> initWithTitle(std::string title);

  const std::string& title() const { return title_; }
  void setTitle(std::string_view title);

  // A left button takes the place of the back button.
  const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return leftBarButtonItem_; }
  void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) { leftBarButtonItem_ = std::move(item); }
  const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return rightBarButtonItem_; }
  void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) { rightBarButtonItem_ = std::move(item); }

  bool hidesBackButton() const { return hidesBackButton_; }
  void setHidesBackButton(bool hides) { hidesBackButton_ = hides; }

  // The back button that the screen ABOVE this one shows; without it the
  // back button carries this item's title.
  const std::shared_ptr<BarButtonItem>& backBarButtonItem() const { return backBarButtonItem_; }
  void setBackBarButtonItem(std::shared_ptr<BarButtonItem> item) { backBarButtonItem_ = std::move(item); }

  // Public for std::make_shared only; use initWithTitle.
  explicit NavigationItem(Passkey) {}

 private:
  std::string title_;
  std::shared_ptr<BarButtonItem> leftBarButtonItem_;
  std::shared_ptr<BarButtonItem> rightBarButtonItem_;
  std::shared_ptr<BarButtonItem> backBarButtonItem_;
  bool hidesBackButton_ = false;
};

}  // namespace platform::ui
