#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ControlsTestSupport.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Switch.h"

using controlstest::UiFixture;
using platform::graphics::Color;
using platform::graphics::Point;
using platform::graphics::Rect;
using platform::ui::Button;
using platform::ui::Control;
using platform::ui::ImageView;
using platform::ui::Switch;
using platform::ui::TouchPhase;
using platform::ui::View;

namespace {

class ControlsTest : public UiFixture {
 protected:
  // Records every event the control sends, one entry per action run.
  void record(Control& control) {
    control.addTargetActionForControlEvents([this](Control&) { events_.push_back(Control::kEventTouchDown); },
                                            Control::kEventTouchDown);
    control.addTargetActionForControlEvents([this](Control&) { events_.push_back(Control::kEventTouchUpInside); },
                                            Control::kEventTouchUpInside);
    control.addTargetActionForControlEvents([this](Control&) { events_.push_back(Control::kEventTouchUpOutside); },
                                            Control::kEventTouchUpOutside);
    control.addTargetActionForControlEvents([this](Control&) { events_.push_back(Control::kEventValueChanged); },
                                            Control::kEventValueChanged);
  }

  std::shared_ptr<Button> roundedButton() {
    auto button = Button::buttonWithType(Button::kTypeRoundedRect);
    button->setFrame({{15, 250}, {290, 50}});
    button->setTitleForState("Donate to me!", Control::kStateNormal);
    window_->addSubview(button);
    return button;
  }

  std::vector<unsigned> events_;
};

}  // namespace

TEST_F(ControlsTest, TouchUpInsideOnlyWhenLiftedInside) {
  auto button = roundedButton();
  record(*button);
  tap({100, 270});
  EXPECT_EQ(events_, (std::vector<unsigned>{1, 64}));

  events_.clear();
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {100, 270}));
  EXPECT_TRUE(button->isHighlighted());
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Moved, {100, 400}));
  EXPECT_FALSE(button->isHighlighted());
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Ended, {100, 400}));
  EXPECT_EQ(events_, (std::vector<unsigned>{1, 128}));
  EXPECT_FALSE(button->isTracking());

  // A cancelled touch sends neither.
  events_.clear();
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {100, 270}));
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Cancelled, {100, 270}));
  EXPECT_EQ(events_, (std::vector<unsigned>{1}));
  EXPECT_FALSE(button->isHighlighted());
}

TEST_F(ControlsTest, DisabledControlsSendNothing) {
  auto button = roundedButton();
  record(*button);
  button->setEnabled(false);
  tap({100, 270});
  EXPECT_TRUE(events_.empty());
  EXPECT_EQ(button->state(), Control::kStateDisabled);
}

TEST_F(ControlsTest, TitlesFallBackToTheNormalState) {
  auto button = Button::buttonWithType(Button::kTypeRoundedRect);
  EXPECT_EQ(button->titleForState(Control::kStateNormal), "");
  button->setTitleForState("Follow me on Twitter!", Control::kStateNormal);
  EXPECT_EQ(button->titleForState(Control::kStateHighlighted), "Follow me on Twitter!");
  button->setTitleForState("Pressed", Control::kStateHighlighted);
  EXPECT_EQ(button->titleForState(Control::kStateHighlighted), "Pressed");
  EXPECT_EQ(button->titleForState(Control::kStateDisabled), "Follow me on Twitter!");
  button->setHighlighted(true);
  EXPECT_EQ(button->currentTitle(), "Pressed");
  EXPECT_EQ(Button::buttonWithType(77)->buttonType(), Button::kTypeCustom);
}

TEST_F(ControlsTest, TheInfoButtonTakesTouchesAroundItsSmallFrame) {
  auto root = View::create({{0, 20}, {320, 460}});
  window_->addSubview(root);
  auto info = Button::buttonWithType(Button::kTypeInfoDark);
  info->setFrame({{290, 10}, {15, 15}});
  root->addSubview(info);
  record(*info);
  // 12 points left of the frame and 12 below it: inside the 44-point area.
  tap({278, 20 + 37});
  EXPECT_EQ(events_, (std::vector<unsigned>{1, 64}));
  events_.clear();
  // 25 points to the left is beyond it.
  tap({265, 20 + 17});
  EXPECT_TRUE(events_.empty());
  // A rounded-rect button keeps its exact frame.
  auto button = roundedButton();
  EXPECT_FALSE(button->pointInsideWithEvent({-2, 10}, nullptr));
}

TEST_F(ControlsTest, ASwitchTapTogglesAndSendsValueChanged) {
  auto toggle = std::make_shared<Switch>();
  toggle->initWithFrame({{211, 210}, {50, 50}});
  EXPECT_EQ(toggle->frame(), (Rect{{211, 210}, {94, 27}}));
  window_->addSubview(toggle);
  record(*toggle);

  toggle->setOn(true);
  EXPECT_TRUE(events_.empty());
  tap({250, 220});
  EXPECT_FALSE(toggle->isOn());
  EXPECT_EQ(events_, (std::vector<unsigned>{1, 4096, 64}));

  events_.clear();
  loop_.advanceBy(1);
  tap({250, 220});
  EXPECT_TRUE(toggle->isOn());
  // The knob slides there over the animation.
  EXPECT_LT(toggle->knobPosition(loop_.now()), 1);
  EXPECT_EQ(toggle->knobPosition(loop_.now() + Switch::kSlideDuration), 1);

  // Lifted outside: no change.
  events_.clear();
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {250, 220}));
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Ended, {250, 300}));
  EXPECT_TRUE(toggle->isOn());
  EXPECT_EQ(events_, (std::vector<unsigned>{1, 128}));
}

TEST_F(ControlsTest, ImageViewsIgnoreTouchesUntilEnabled) {
  auto back = View::create({{0, 0}, {320, 480}});
  window_->addSubview(back);
  auto image = std::make_shared<ImageView>();
  image->initWithFrame({{0, 15}, {320, 320}});
  back->addSubview(image);
  EXPECT_EQ(window_->hitTestWithEvent({100, 100}, nullptr), back);
  image->setUserInteractionEnabled(true);
  EXPECT_EQ(window_->hitTestWithEvent({100, 100}, nullptr), image);
}

TEST_F(ControlsTest, TheRoundedRectButtonDrawsRoundCornersAndABlueTitle) {
  auto backdrop = View::create({{0, 0}, {320, 480}});
  backdrop->setBackgroundColor(Color::blackColor());
  window_->addSubview(backdrop);
  auto button = roundedButton();
  window_->bringSubviewToFront(button);
  auto image = render();
  // The corner pixel shows the backdrop; the body is white a few points in.
  EXPECT_TRUE(isNearlyBlack(pixel(*image, 15, 250)));
  EXPECT_TRUE(isNearlyBlack(pixel(*image, 304, 299)));
  EXPECT_TRUE(isWhite(pixel(*image, 30, 275)));
  EXPECT_TRUE(isWhite(pixel(*image, 160, 252)));
  // The title is dark blue text in the middle.
  int blue = 0;
  for (int x = 100; x < 220; ++x) {
    for (int y = 265; y < 285; ++y) {
      const auto p = pixel(*image, x, y);
      blue += p.blue > p.red + 50 && p.red < 120 ? 1 : 0;
    }
  }
  EXPECT_GT(blue, 20);

  // Pressed, the body turns blue.
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {30, 275}));
  image = render();
  EXPECT_TRUE(isBlue(pixel(*image, 30, 275)));
  EXPECT_TRUE(isNearlyBlack(pixel(*image, 15, 250)));
}

TEST_F(ControlsTest, TheSwitchShowsBlueOnItsLeftHalfWhenOn) {
  auto toggle = std::make_shared<Switch>();
  toggle->initWithFrame({{211, 210}, {94, 27}});
  window_->addSubview(toggle);
  toggle->setOn(true);
  auto image = render();
  EXPECT_TRUE(isBlue(pixel(*image, 211 + 12, 210 + 5)));
  EXPECT_TRUE(isBlue(pixel(*image, 211 + 40, 210 + 22)));
  EXPECT_FALSE(isBlue(pixel(*image, 211 + 80, 210 + 13)));  // the knob

  toggle->setOn(false);
  image = render();
  EXPECT_FALSE(isBlue(pixel(*image, 211 + 12, 210 + 5)));
  EXPECT_FALSE(isBlue(pixel(*image, 211 + 60, 210 + 5)));
}

TEST_F(ControlsTest, TheInfoButtonIsADarkDiscWithAWhiteMark) {
  auto backdrop = View::create({{0, 0}, {320, 480}});
  backdrop->setBackgroundColor(Color::whiteColor());
  window_->addSubview(backdrop);
  auto info = Button::buttonWithType(Button::kTypeInfoDark);
  info->setFrame({{100, 100}, {30, 30}});
  window_->addSubview(info);
  auto image = render();
  EXPECT_TRUE(isWhite(pixel(*image, 101, 101)));        // outside the disc
  const auto disc = pixel(*image, 106, 115);            // on the disc, beside the mark
  EXPECT_LT(disc.red, 90);
  EXPECT_TRUE(isWhite(pixel(*image, 115, 122)));        // the stem of the "i"
}
