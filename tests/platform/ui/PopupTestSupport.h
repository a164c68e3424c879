#pragma once
// Helpers for the alert and action-sheet tests: a white screen to dim, a
// delegate that records every press, finding a box's button by its title
// and touching it through the window as a finger would.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ControlsTestSupport.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/PopupPresenter.h"

namespace popuptest {

using platform::graphics::Point;
using platform::graphics::Rect;
using platform::ui::ActionSheet;
using platform::ui::AlertView;
using platform::ui::Button;
using platform::ui::PopupPresenter;
using platform::ui::PopupView;
using platform::ui::TouchPhase;
using platform::ui::View;

// Records (box title, index) for every press it hears, and runs `then`
// after recording, for delegates that act on the answer.
class RecordingDelegate : public platform::ui::AlertViewDelegate, public platform::ui::ActionSheetDelegate {
 public:
  void alertViewClickedButtonAtIndex(AlertView& alert, int index) override { heard(alert, index); }
  void actionSheetClickedButtonAtIndex(ActionSheet& sheet, int index) override { heard(sheet, index); }

  std::vector<std::pair<std::string, int>> presses;
  std::function<void(PopupView&)> then;

 private:
  void heard(PopupView& box, int index) {
    // The box is off the screen by the time its delegate hears of it.
    EXPECT_FALSE(box.isVisible());
    presses.emplace_back(box.title().value_or(""), index);
    if (then) then(box);
  }
};

class PopupFixture : public controlstest::UiFixture {
 protected:
  PopupFixture() {
    screen_ = View::create({{0, 20}, {320, 460}});
    screen_->setBackgroundColor(platform::graphics::Color::whiteColor());
    window_->addSubview(screen_);
  }
  ~PopupFixture() override {
    // Leave no box behind for the next test.
    while (auto shown = PopupPresenter::shared().shownPopup()) shown->dismissWithClickedButtonIndexAnimated(0, false);
  }

  static std::shared_ptr<Button> buttonTitled(const PopupView& box, const std::string& title) {
    for (const auto& child : box.subviews()) {
      auto button = std::dynamic_pointer_cast<Button>(child);
      if (button && button->currentTitle() == title) return button;
    }
    ADD_FAILURE() << "no button titled " << title;
    return nullptr;
  }

  // The centre of a view in window coordinates.
  static Point centreOf(const View& view) {
    const Rect b = view.bounds();
    return view.convertPointToView({b.midX(), b.midY()}, nullptr);
  }

  void tapButton(const PopupView& box, const std::string& title) {
    auto button = buttonTitled(box, title);
    ASSERT_NE(button, nullptr);
    tap(centreOf(*button));
  }

  // Lets the appear animation finish.
  void settle() { loop_.advanceBy(0.5); }

  std::shared_ptr<View> screen_;
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>();
};

}  // namespace popuptest
