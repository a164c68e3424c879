#pragma once
// What an alert tells its delegate: which button the user pressed, by its
// index (the cancel button first, then the others in the order they were
// given or added). The call comes once per press, after the alert has left
// the screen; the alert is alive for the whole call.

namespace platform::ui {

class AlertView;

class AlertViewDelegate {
 public:
  virtual ~AlertViewDelegate() = default;
  virtual void alertViewClickedButtonAtIndex(AlertView& alertView, int buttonIndex) = 0;
};

}  // namespace platform::ui
