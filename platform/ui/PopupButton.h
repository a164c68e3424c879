#pragma once
// A button of an alert or an action sheet, drawn in one of the platform's
// looks: the translucent glossy button of the blue alert, or the large
// rounded buttons of a sheet (light for ordinary choices, red for the
// destructive one, dark for Cancel). It highlights while the finger is on
// it and acts when the finger lifts inside, like every Button; the alert or
// sheet that made it registers that action.
//
// How to use (alerts and sheets do this for their buttons):
//   auto button = PopupButton::buttonWithLook(PopupButton::Look::Alert, "OK");
//   button->setFrame({{12, 80}, {127, 43}});
//   button->addTargetActionForControlEvents(action, Control::kEventTouchUpInside);
//
// Ownership: owned by its alert or sheet like any subview. Main thread only.

#include <memory>
#include <string>

#include "platform/ui/Button.h"

namespace platform::ui {

class PopupButton : public Button {
 public:
  enum class Look { Alert, Sheet, SheetDestructive, SheetCancel };

  static std::shared_ptr<PopupButton> buttonWithLook(Look look, std::string title);

  Look look() const { return look_; }
  void setLook(Look look);
  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;

 private:
  void drawAlertButton(graphics::GraphicsContext& context) const;
  void drawSheetButton(graphics::GraphicsContext& context) const;

  Look look_ = Look::Alert;
};

}  // namespace platform::ui
