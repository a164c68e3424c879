#pragma once
// The dimmed screen behind an alert or action sheet: a window overlay that
// holds the box, places it (again after a rotation) and takes every touch
// that misses the box without doing anything with it.
//
// How to use (PopupPresenter does this):
//   auto backdrop = PopupBackdrop::backdropForPopup(alert);
//   window->addOverlayView(backdrop);      // the window sizes and lays it out
//
// Ownership: the window owns the backdrop while it is an overlay; the
// backdrop owns the box as its only subview until the presenter takes it
// out. Main thread only.

#include <memory>

#include "platform/ui/PopupView.h"
#include "platform/ui/View.h"

namespace platform::ui {

class PopupBackdrop : public View {
 public:
  static std::shared_ptr<PopupBackdrop> backdropForPopup(const std::shared_ptr<PopupView>& popup);

  const std::shared_ptr<PopupView>& popup() const { return popup_; }

  void layoutSubviews() override;
  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 private:
  std::shared_ptr<PopupView> popup_;
};

}  // namespace platform::ui
