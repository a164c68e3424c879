// Alerts on a real window: what they look like over the screen, how they
// take touches, whom they tell, how long they live and how several queue.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "PopupTestSupport.h"
#include "platform/foundation/UnicodeText.h"
#include "platform/ui/PopupText.h"

using controlstest::Pixel;
using platform::ui::AlertViewDelegate;
using platform::ui::Control;
using platform::ui::InterfaceOrientation;
using platform::ui::PopupText;
using namespace popuptest;

namespace {

int brightness(Pixel p) { return p.red + p.green + p.blue; }

// The brightest pixel of a region: where text is, it shows.
int brightestIn(const platform::graphics::GraphicsContext& image, Rect region) {
  int best = 0;
  for (int y = static_cast<int>(region.minY()); y < static_cast<int>(region.maxY()); ++y) {
    for (int x = static_cast<int>(region.minX()); x < static_cast<int>(region.maxX()); ++x) {
      best = std::max(best, brightness(image.pixelAt(x, y).value_or(Pixel{})));
    }
  }
  return best;
}

class AlertViewTest : public PopupFixture {
 protected:
  std::shared_ptr<AlertView> whoops(std::vector<std::string> others = {"Retry"}) {
    return AlertView::create("Whoops", "Couldn't connect to that page.", delegate_, "Cancel", std::move(others));
  }
};

// Acts on its own answer and keeps itself alive until then, as the
// confirmation alerts of the ad library do.
class SelfOwnedAlert : public AlertView, public AlertViewDelegate {
 public:
  static std::weak_ptr<SelfOwnedAlert> showNew(int* answer) {
    auto alert = std::make_shared<SelfOwnedAlert>();
    alert->initWithTitleMessageDelegateCancelButtonTitleOtherButtonTitles("Call 555-0100?", std::nullopt, alert,
                                                                          "Cancel", {"Call"});
    alert->self_ = alert;
    alert->answer_ = answer;
    alert->show();
    return alert;
  }
  void alertViewClickedButtonAtIndex(AlertView&, int index) override {
    *answer_ = index;
    self_.reset();
  }

 private:
  std::shared_ptr<SelfOwnedAlert> self_;
  int* answer_ = nullptr;
};

}  // namespace

TEST_F(AlertViewTest, DimsEverythingAndShowsABlueBoxWithTwoButtonsSideBySide) {
  const Rect statusBarClock{{120, 3}, {80, 14}};
  const int clockBefore = brightestIn(*render(), statusBarClock);
  auto alert = whoops();
  alert->show();
  settle();
  auto image = render();

  // The white screen and the status bar's clock are both dimmed, the
  // corners more than the middle.
  const Pixel screen = pixel(*image, 40, 90);
  EXPECT_GT(brightness(screen), 3 * 80);
  EXPECT_LT(brightness(screen), 3 * 200);
  EXPECT_LT(brightness(pixel(*image, 2, 477)), brightness(screen));
  EXPECT_LT(brightestIn(*image, statusBarClock), clockBefore - 100);

  const Rect box = alert->frame();
  EXPECT_NEAR(box.midX(), 160, 1);
  EXPECT_NEAR(box.midY(), 240, 1);
  const Pixel glass = pixel(*image, box.minX() + 6, box.maxY() - 7);
  EXPECT_GT(glass.blue, glass.red + 30);
  EXPECT_GT(glass.blue, glass.green);
  const Pixel rim = pixel(*image, box.minX() + 1, box.midY());
  EXPECT_TRUE(rim.red > 170 && rim.green > 170 && rim.blue > 170);
  EXPECT_GT(brightestIn(*image, {{box.minX() + 12, box.minY() + 14}, {box.size.width - 24, 24}}), 3 * 235)
      << "the white title";

  auto cancel = buttonTitled(*alert, "Cancel");
  auto retry = buttonTitled(*alert, "Retry");
  ASSERT_TRUE(cancel && retry);
  EXPECT_EQ(cancel->frame().minY(), retry->frame().minY());
  EXPECT_EQ(cancel->frame().size, retry->frame().size);
  EXPECT_LE(cancel->frame().maxX(), retry->frame().minX()) << "Cancel, index 0, on the left";
  EXPECT_LE(retry->frame().maxY(), box.size.height);
  // The buttons are lighter panes on the blue.
  const Point pane = centreOf(*retry);
  EXPECT_GT(brightness(pixel(*image, pane.x - 50, pane.y + 12)), brightness(glass));
}

TEST_F(AlertViewTest, AButtonHighlightsWhilePressedAndActsOnlyWhenLiftedInside) {
  auto alert = whoops({"OK"});
  alert->show();
  settle();
  auto ok = buttonTitled(*alert, "OK");
  ASSERT_NE(ok, nullptr);
  const Point centre = centreOf(*ok);

  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, centre));
  EXPECT_TRUE(ok->isHighlighted());
  const Pixel pressed = pixel(*render(), centre.x - 50, centre.y + 12);
  EXPECT_GT(pressed.blue, 200);
  EXPECT_GT(pressed.blue, pressed.red + 60);
  // Sliding off and lifting outside is no answer.
  window_->sendTouch(TouchPhase::Moved, {40, 90});
  EXPECT_FALSE(ok->isHighlighted());
  window_->sendTouch(TouchPhase::Ended, {40, 90});
  EXPECT_TRUE(delegate_->presses.empty());
  EXPECT_TRUE(alert->isVisible());

  // Sliding back in before lifting is.
  window_->sendTouch(TouchPhase::Began, centre);
  window_->sendTouch(TouchPhase::Moved, {40, 90});
  window_->sendTouch(TouchPhase::Moved, centre);
  EXPECT_TRUE(ok->isHighlighted());
  window_->sendTouch(TouchPhase::Ended, centre);
  EXPECT_EQ(delegate_->presses, (std::vector<std::pair<std::string, int>>{{"Whoops", 1}}));
  EXPECT_FALSE(alert->isVisible());
  EXPECT_EQ(PopupPresenter::shared().shownPopup(), nullptr);
  EXPECT_GT(brightness(pixel(*render(), 40, 90)), 3 * 250) << "the screen is no longer dimmed";

  auto second = whoops({"OK"});
  second->show();
  tapButton(*second, "Cancel");
  EXPECT_EQ(delegate_->presses.back(), (std::pair<std::string, int>{"Whoops", 0}));
}

TEST_F(AlertViewTest, NothingUnderneathGetsATouchWhileItShows) {
  auto underneath = Button::buttonWithType(Button::kTypeRoundedRect);
  underneath->setFrame({{15, 400}, {290, 50}});
  int fired = 0;
  underneath->addTargetActionForControlEvents([&](Control&) { ++fired; }, Control::kEventTouchUpInside);
  screen_->addSubview(underneath);
  const Point onIt = centreOf(*underneath);

  // A finger already down when the alert appears does not finish there.
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, onIt));
  auto alert = whoops();
  alert->show();
  EXPECT_FALSE(underneath->isHighlighted());
  window_->sendTouch(TouchPhase::Ended, onIt);
  // Nor does a new tap, on the button or anywhere else off the box.
  tap(onIt);
  tap({5, 5});
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(alert->isVisible());
  EXPECT_TRUE(delegate_->presses.empty());

  tapButton(*alert, "Cancel");
  tap(onIt);
  EXPECT_EQ(fired, 1) << "the screen takes touches again once the alert has gone";
}

TEST_F(AlertViewTest, ThePlatformHoldsAnAlertUntilItIsAnswered) {
  std::weak_ptr<AlertView> unkept = [&] {
    auto alert = whoops();
    alert->show();
    return alert;
  }();
  loop_.advanceBy(1);
  ASSERT_FALSE(unkept.expired());
  tapButton(*unkept.lock(), "Retry");
  EXPECT_EQ(delegate_->presses.size(), 1u);
  EXPECT_TRUE(unkept.expired());

  // An alert that owns itself is freed the same way, Call or Cancel.
  int answer = -1;
  auto alert = SelfOwnedAlert::showNew(&answer);
  loop_.advanceBy(1);
  ASSERT_FALSE(alert.expired());
  tapButton(*alert.lock(), "Call");
  EXPECT_EQ(answer, 1);
  EXPECT_TRUE(alert.expired());
  alert = SelfOwnedAlert::showNew(&answer);
  tapButton(*alert.lock(), "Cancel");
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(alert.expired());
}

TEST_F(AlertViewTest, AlertsShownTogetherAppearOneAfterAnother) {
  std::vector<std::string> seen;
  PopupPresenter::shared().setObserver(
      {[&](const PopupView& box) { seen.push_back("shown " + box.title().value_or("")); },
       [&](const PopupView& box, int index) {
         seen.push_back("pressed " + box.title().value_or("") + " " + std::to_string(index));
       }});
  auto first = AlertView::create("First", std::nullopt, delegate_, "OK", {});
  auto second = AlertView::create("Second", std::nullopt, delegate_, "OK", {});
  std::shared_ptr<AlertView> third;
  delegate_->then = [&](PopupView& box) {
    seen.push_back("delegate " + box.title().value_or(""));
    if (box.title() == "First") {
      third = AlertView::create("Third", std::nullopt, delegate_, "OK", {});
      third->show();
    }
  };
  first->show();
  second->show();
  second->show();  // a second show of a waiting alert changes nothing
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(second->isVisible());
  EXPECT_EQ(PopupPresenter::shared().waitingCount(), 1u);

  tapButton(*first, "OK");
  EXPECT_TRUE(second->isVisible());
  tapButton(*second, "OK");
  ASSERT_NE(third, nullptr);
  tapButton(*third, "OK");
  EXPECT_EQ(seen, (std::vector<std::string>{"shown First", "pressed First 0", "delegate First", "shown Second",
                                            "pressed Second 0", "delegate Second", "shown Third",
                                            "pressed Third 0", "delegate Third"}));
  PopupPresenter::shared().setObserver({});

  // Dismissed in code, shown or waiting, an alert goes without a word to
  // its delegate.
  delegate_->presses.clear();
  auto shown = AlertView::create("Shown", std::nullopt, delegate_, "OK", {});
  auto waiting = AlertView::create("Waiting", std::nullopt, delegate_, "OK", {});
  auto last = AlertView::create("Last", std::nullopt, delegate_, "OK", {});
  shown->show();
  waiting->show();
  last->show();
  waiting->dismissWithClickedButtonIndexAnimated(0, false);
  shown->dismissWithClickedButtonIndexAnimated(0, true);
  EXPECT_TRUE(last->isVisible());
  EXPECT_EQ(PopupPresenter::shared().waitingCount(), 0u);
  EXPECT_TRUE(delegate_->presses.empty());
}

TEST_F(AlertViewTest, ThreeButtonsAreStackedWithCancelAtTheBottom) {
  auto alert = AlertView::create("Share", std::nullopt, delegate_, "Cancel", {"Mail", "Message"});
  alert->show();
  EXPECT_EQ(alert->buttonTitles(), (std::vector<std::string>{"Cancel", "Mail", "Message"}));
  // A button added to a shown alert can be pressed at once.
  EXPECT_EQ(alert->addButtonWithTitle("Copy"), 3);
  auto mail = buttonTitled(*alert, "Mail");
  auto message = buttonTitled(*alert, "Message");
  auto copy = buttonTitled(*alert, "Copy");
  auto cancel = buttonTitled(*alert, "Cancel");
  ASSERT_TRUE(mail && message && copy && cancel);
  EXPECT_LT(mail->frame().maxY(), message->frame().minY());
  EXPECT_LT(message->frame().maxY(), copy->frame().minY());
  EXPECT_LT(copy->frame().maxY(), cancel->frame().minY());
  EXPECT_EQ(mail->frame().minX(), cancel->frame().minX());
  EXPECT_LE(cancel->frame().maxY(), alert->frame().size.height);
  tapButton(*alert, "Copy");
  EXPECT_EQ(delegate_->presses.back().second, 3);
}

TEST_F(AlertViewTest, StaysCentredWhenTheInterfaceTurns) {
  auto alert = whoops();
  alert->show();
  settle();
  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeRight);
  EXPECT_NEAR(alert->frame().midX(), 240, 1);
  EXPECT_NEAR(alert->frame().midY(), 160, 1);
  // Drawn in the middle of the turned screen, and answered there.
  const Pixel middle = pixel(*render(), 160, 240);
  EXPECT_GT(middle.blue, middle.red + 30);
  tapButton(*alert, "Retry");
  EXPECT_EQ(delegate_->presses.back().second, 1);
}

TEST_F(AlertViewTest, TextsOfAnyLengthWrapInsideABoxThatFitsTheScreen) {
  std::string title = "Add ";
  for (int i = 0; i < 400; ++i) title += "Ünïcödé Company ";
  std::string message(200000, 'w');  // one word far wider than the box
  const std::string add = "Add " + std::string(100000, 'x');
  for (auto* orientation : {"portrait", "landscape"}) {
    auto alert = AlertView::create(title, message, delegate_, "Cancel", {add});
    alert->show();
    render();
    const Rect box = alert->frame();
    const Rect screen = window_->bounds();
    EXPECT_GE(box.minY(), screen.minY()) << orientation;
    EXPECT_LE(box.maxY(), screen.maxY()) << orientation;
    EXPECT_GE(box.minX(), screen.minX()) << orientation;
    EXPECT_LE(box.maxX(), screen.maxX()) << orientation;
    tapButton(*alert, add);
    EXPECT_EQ(delegate_->presses.back().second, 1) << orientation;
    window_->setInterfaceOrientation(InterfaceOrientation::LandscapeLeft);
  }

  // What reaches layout is a prefix of the text, cut between characters.
  const std::string capped(PopupText::capForLayout(title));
  EXPECT_LT(capped.size(), title.size());
  EXPECT_EQ(title.compare(0, capped.size(), capped), 0);
  EXPECT_TRUE(platform::UnicodeText::isValidUTF8(capped));
  EXPECT_EQ(PopupText::capForLayout("Call 555-0100?"), "Call 555-0100?");
  // The cut falls between clusters: a last letter keeps its accents.
  const std::string accented = std::string(PopupText::kMaxShownCharacters - 1, 'x') + "e\xCC\x81\xCC\x81";
  EXPECT_EQ(PopupText::capForLayout(accented + "tail"), accented);
}
