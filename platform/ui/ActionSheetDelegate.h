#pragma once
// What an action sheet tells its delegate: which button the user pressed,
// by its index (the destructive button first when there is one, then the
// other buttons in order, then Cancel). The call comes once per press,
// after the sheet has left the screen; the sheet is alive for the whole
// call.

namespace platform::ui {

class ActionSheet;

class ActionSheetDelegate {
 public:
  virtual ~ActionSheetDelegate() = default;
  virtual void actionSheetClickedButtonAtIndex(ActionSheet& actionSheet, int buttonIndex) = 0;
};

}  // namespace platform::ui
