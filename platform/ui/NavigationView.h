#pragma once
// The view of a NavigationController: its navigation bar along the top and,
// below it, the content area that shows the top screen's view. When its
// size changes (the device turned) it lays the bar and the content area out
// again and makes the top screen's view fill the content area, whatever
// autoresizing mask that view has. Other views added to it (the app's ad
// banner) stay above both and keep their own frames.
//
// When it joins a window it makes its controller the application's rotation
// handler, the way the platform asks the window's root controller about
// turns.
//
// Ownership: created and owned by its NavigationController (as the
// controller's view), which it refers to weakly. It owns the bar and the
// content area through its subviews; the top view is a weak link.

#include <memory>

#include "platform/ui/View.h"

namespace platform::ui {

class NavigationBar;
class NavigationController;

class NavigationView : public View {
 public:
  static std::shared_ptr<NavigationView> create(graphics::Rect frame, std::shared_ptr<NavigationBar> bar,
                                                std::weak_ptr<NavigationController> controller);

  const std::shared_ptr<NavigationBar>& navigationBar() const { return bar_; }
  // The area below the bar; it clips, so slide animations stay inside it.
  const std::shared_ptr<View>& contentView() const { return content_; }
  // The view that fills the content area at each layout.
  void setTopView(std::weak_ptr<View> view) { topView_ = std::move(view); }
  // The frame a screen's view gets in the content area.
  graphics::Rect contentBounds() const;

  void layoutSubviews() override;
  void didMoveToWindow() override;

 private:
  std::shared_ptr<NavigationBar> bar_;
  std::shared_ptr<View> content_;
  std::weak_ptr<View> topView_;
  std::weak_ptr<NavigationController> controller_;
};

}  // namespace platform::ui
