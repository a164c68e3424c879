#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/ui/Event.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

using platform::RunLoop;
using platform::SimulatedClock;
using platform::graphics::Point;
using platform::ui::Event;
using platform::ui::InterfaceOrientation;
using platform::ui::Responder;
using platform::ui::Touch;
using platform::ui::TouchPhase;
using platform::ui::TouchSet;
using platform::ui::View;
using platform::ui::Window;

namespace {

// Records every touch call it gets, with the touch's location in itself.
struct Recorder {
  std::vector<std::string> calls;
  std::vector<Point> locations;
  std::vector<const View*> touchViews;  // not owning: the recorder lives in the view
};

class RecordingView : public View {
 public:
  static std::shared_ptr<RecordingView> make(double x, double y, double w, double h, bool handles = true) {
    auto view = std::make_shared<RecordingView>();
    view->initWithFrame({{x, y}, {w, h}});
    view->handles_ = handles;
    return view;
  }
  // Views that do not handle touches call the base class, which passes
  // them along the responder chain.
  void touchesBeganWithEvent(const TouchSet& t, Event& e) override {
    if (!note("began", t)) View::touchesBeganWithEvent(t, e);
  }
  void touchesMovedWithEvent(const TouchSet& t, Event& e) override {
    if (!note("moved", t)) View::touchesMovedWithEvent(t, e);
  }
  void touchesEndedWithEvent(const TouchSet& t, Event& e) override {
    if (!note("ended", t)) View::touchesEndedWithEvent(t, e);
  }
  void touchesCancelledWithEvent(const TouchSet& t, Event& e) override {
    if (!note("cancelled", t)) View::touchesCancelledWithEvent(t, e);
  }
  Recorder record;

 private:
  bool note(const char* what, const TouchSet& touches) {
    const auto& touch = *touches.begin();
    record.calls.push_back(what);
    record.locations.push_back(touch->locationInView(shared_from_this()));
    record.touchViews.push_back(touch->view().get());
    return handles_;
  }
  bool handles_ = true;
};

// A stand-in for a view controller: a responder outside the view tree.
struct Controller : Responder {
  std::vector<std::string> calls;
  void touchesEndedWithEvent(const TouchSet&, Event&) override { calls.push_back("ended"); }
};

class TouchTest : public ::testing::Test {
 protected:
  TouchTest() {
    loop_.makeCurrent();
    window_ = Window::create({{0, 0}, {320, 480}});
    back_ = RecordingView::make(0, 20, 320, 460);
    button_ = RecordingView::make(0, 15, 320, 320);
    overlay_ = RecordingView::make(0, 15, 320, 320);
    window_->addSubview(back_);
    back_->addSubview(button_);
    window_->makeKeyAndVisible();
  }
  RunLoop loop_{std::make_shared<SimulatedClock>()};
  std::shared_ptr<Window> window_;
  std::shared_ptr<RecordingView> back_, button_, overlay_;
};

}  // namespace

TEST_F(TouchTest, TheViewATouchBeganInKeepsItWhereverTheFingerGoes) {
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {100, 100}));
  // The overlay goes on top during the touch, as a pressed state does.
  overlay_->setUserInteractionEnabled(false);
  back_->addSubview(overlay_);
  EXPECT_TRUE(window_->sendTouch(TouchPhase::Moved, {100, 470}));
  EXPECT_TRUE(window_->sendTouch(TouchPhase::Ended, {100, 470}));

  EXPECT_EQ(button_->record.calls, (std::vector<std::string>{"began", "moved", "ended"}));
  EXPECT_TRUE(back_->record.calls.empty());
  EXPECT_TRUE(overlay_->record.calls.empty());
  EXPECT_EQ(button_->record.touchViews.back(), button_.get());
  // Locations are in the button's own coordinates: window minus (0, 20 + 15).
  EXPECT_EQ(button_->record.locations[0], (Point{100, 65}));
  EXPECT_EQ(button_->record.locations[2], (Point{100, 435}));
  EXPECT_EQ(window_->activeTouch(), nullptr);
}

TEST_F(TouchTest, HitTestSkipsViewsThatDoNotTakeTouches) {
  back_->addSubview(overlay_);
  overlay_->setUserInteractionEnabled(false);
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {10, 40}));
  EXPECT_EQ(button_->record.calls.size(), 1u) << "a view without user interaction lets touches through";
  window_->sendTouch(TouchPhase::Cancelled, {10, 40});

  button_->setHidden(true);
  overlay_->setUserInteractionEnabled(true);
  overlay_->setAlpha(0.005);
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {10, 40}));
  EXPECT_EQ(back_->record.calls, (std::vector<std::string>{"began"})) << "hidden and invisible views are skipped";
  EXPECT_TRUE(overlay_->record.calls.empty());
  window_->sendTouch(TouchPhase::Ended, {10, 40});

  // A disabled parent hides its whole subtree from the hit test.
  button_->setHidden(false);
  overlay_->removeFromSuperview();
  back_->setUserInteractionEnabled(false);
  EXPECT_EQ(window_->hitTestWithEvent({10, 40}, nullptr), window_);
}

TEST_F(TouchTest, LaterSubviewsWinAndEdgesBelongToTheNeighbour) {
  auto left = RecordingView::make(0, 0, 100, 100);
  auto right = RecordingView::make(100, 0, 100, 100);
  auto top = RecordingView::make(50, 0, 100, 100);
  auto root = View::create({{0, 0}, {300, 300}});
  root->addSubview(left);
  root->addSubview(right);
  EXPECT_EQ(root->hitTestWithEvent({100, 10}, nullptr), right);
  EXPECT_EQ(root->hitTestWithEvent({99.5, 10}, nullptr), left);
  root->addSubview(top);
  EXPECT_EQ(root->hitTestWithEvent({60, 10}, nullptr), top);
  EXPECT_EQ(root->hitTestWithEvent({250, 250}, nullptr), root);
  EXPECT_EQ(root->hitTestWithEvent({-1, 10}, nullptr), nullptr);
}

TEST_F(TouchTest, UnhandledTouchesGoToTheControllerElseTheSuperview) {
  auto passing = RecordingView::make(0, 0, 50, 50, /*handles=*/false);
  button_->addSubview(passing);
  window_->sendTouch(TouchPhase::Began, {10, 40});
  window_->sendTouch(TouchPhase::Ended, {10, 40});
  EXPECT_EQ(passing->record.calls.size(), 2u);
  EXPECT_EQ(button_->record.calls, (std::vector<std::string>{"began", "ended"}));

  auto controller = std::make_shared<Controller>();
  passing->setViewDelegate(controller);
  window_->sendTouch(TouchPhase::Began, {10, 40});
  window_->sendTouch(TouchPhase::Ended, {10, 40});
  EXPECT_EQ(controller->calls, (std::vector<std::string>{"ended"}));
  // Began went to the controller too, whose default passes nowhere.
  EXPECT_EQ(button_->record.calls.size(), 2u);

  controller.reset();  // the delegate link is weak: the superview takes over
  window_->sendTouch(TouchPhase::Began, {10, 40});
  EXPECT_EQ(button_->record.calls.size(), 3u);
}

TEST_F(TouchTest, PhasesWithoutATouchDownAreRefused) {
  EXPECT_FALSE(window_->sendTouch(TouchPhase::Moved, {10, 40}));
  EXPECT_FALSE(window_->sendTouch(TouchPhase::Ended, {10, 40}));
  EXPECT_FALSE(window_->sendTouch(TouchPhase::Began, {500, 40})) << "outside the window";
  EXPECT_TRUE(button_->record.calls.empty());
}

TEST_F(TouchTest, ANewTouchCancelsTheOneStillDown) {
  window_->sendTouch(TouchPhase::Began, {10, 40});
  window_->sendTouch(TouchPhase::Began, {10, 470});
  EXPECT_EQ(button_->record.calls, (std::vector<std::string>{"began", "cancelled"}));
  EXPECT_EQ(back_->record.calls, (std::vector<std::string>{"began"}));
}

TEST_F(TouchTest, AViewRemovedMidTouchStillGetsTheEndButAFreedOneDoesNot) {
  window_->sendTouch(TouchPhase::Began, {10, 40});
  button_->removeFromSuperview();
  EXPECT_TRUE(window_->sendTouch(TouchPhase::Ended, {10, 40}));
  EXPECT_EQ(button_->record.calls.back(), "ended");

  auto temporary = View::create({{0, 0}, {50, 50}});
  window_->addSubview(temporary);
  window_->sendTouch(TouchPhase::Began, {5, 5});
  temporary->removeFromSuperview();
  temporary.reset();
  EXPECT_FALSE(window_->sendTouch(TouchPhase::Moved, {5, 6}));
  EXPECT_EQ(window_->activeTouch(), nullptr);
}

TEST_F(TouchTest, TouchKnowsItsPreviousLocation) {
  window_->sendTouch(TouchPhase::Began, {10, 40});
  window_->sendTouch(TouchPhase::Moved, {12, 45});
  auto touch = window_->activeTouch();
  ASSERT_NE(touch, nullptr);
  EXPECT_EQ(touch->locationInView(nullptr), (Point{12, 45}));
  EXPECT_EQ(touch->previousLocationInView(nullptr), (Point{10, 40}));
  EXPECT_EQ(touch->previousLocationInView(button_), (Point{10, 5}));
  EXPECT_EQ(touch->phase(), TouchPhase::Moved);
  EXPECT_EQ(touch->window(), window_);
}

TEST_F(TouchTest, ScreenPointsAreTurnedIntoLandscapeWindowCoordinates) {
  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeRight);
  ASSERT_EQ(window_->frame().size.width, 480);
  EXPECT_EQ(back_->frame(), (platform::graphics::Rect{{0, 20}, {480, 300}}));
  auto corner = RecordingView::make(470, 0, 10, 10);
  back_->addSubview(corner);
  // The content's top-right corner lies at the portrait screen's bottom right
  // when the content's top is at the screen's right edge.
  ASSERT_TRUE(window_->sendTouchAtScreenPoint(TouchPhase::Began, {295, 475}));
  EXPECT_EQ(corner->record.calls.size(), 1u);
  EXPECT_EQ(corner->record.locations[0], (Point{5, 5}));

  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeLeft);
  ASSERT_TRUE(window_->sendTouchAtScreenPoint(TouchPhase::Began, {25, 5}));
  EXPECT_EQ(corner->record.calls.back(), "began");
  EXPECT_EQ(corner->record.locations.back(), (Point{5, 5}));
}

namespace {

// Keeps a small target pinned to its top-right corner, as a bar keeps its
// right-hand button, and does so only in layoutSubviews.
class CornerPinningView : public View {
 public:
  std::shared_ptr<RecordingView> target = RecordingView::make(0, 0, 40, 40);
  void layoutSubviews() override {
    if (target->superview().get() != this) addSubview(target);
    target->setFrame({{bounds().size.width - 40, 0}, {40, 40}});
  }
};

}  // namespace

TEST_F(TouchTest, ATouchRightAfterATurnMeetsTheTurnedLayoutWithoutAFrameDrawn) {
  auto pinning = std::make_shared<CornerPinningView>();
  pinning->initWithFrame({{0, 20}, {320, 460}});
  window_->addSubview(pinning);
  // Nothing has been drawn or laid out yet: the first touch already finds
  // the target in its corner.
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {300, 30}));
  window_->sendTouch(TouchPhase::Ended, {300, 30});
  EXPECT_EQ(pinning->target->record.calls, (std::vector<std::string>{"began", "ended"}));

  // Turned: the view fills the landscape application frame and its corner
  // moved to x 440..480. The touch comes straight after the turn.
  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeRight);
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {460, 30}));
  EXPECT_EQ(pinning->target->record.calls.size(), 3u);
  EXPECT_EQ(pinning->target->record.locations.back(), (Point{20, 10}));
  window_->sendTouch(TouchPhase::Ended, {460, 30});

  // Back in portrait, where the old landscape corner is off the screen and
  // the old place of the target belongs to the view itself again.
  window_->setInterfaceOrientation(InterfaceOrientation::Portrait);
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {300, 30}));
  EXPECT_EQ(pinning->target->record.calls.size(), 5u);
  EXPECT_EQ(pinning->target->record.locations.back(), (Point{20, 10}));
}

TEST_F(TouchTest, AnOverlayTakesEveryTouchUntilItIsRemoved) {
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {100, 100}));
  auto overlay = View::create({});
  auto inside = RecordingView::make(50, 50, 100, 100);
  overlay->addSubview(inside);
  window_->addOverlayView(overlay);
  // The finger that was down underneath is cancelled there.
  EXPECT_EQ(button_->record.calls, (std::vector<std::string>{"began", "cancelled"}));
  EXPECT_EQ(overlay->frame(), window_->bounds());

  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {10, 100}));
  window_->sendTouch(TouchPhase::Ended, {10, 100});
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {60, 70}));
  EXPECT_EQ(button_->record.calls.size(), 2u);
  EXPECT_TRUE(back_->record.calls.empty());
  EXPECT_EQ(inside->record.calls, (std::vector<std::string>{"began"}));
  EXPECT_EQ(inside->record.locations[0], (Point{10, 20}));
  window_->sendTouch(TouchPhase::Ended, {60, 70});

  window_->setInterfaceOrientation(InterfaceOrientation::LandscapeLeft);
  EXPECT_EQ(overlay->frame(), window_->bounds());
  window_->removeOverlayView(overlay);
  ASSERT_TRUE(window_->sendTouch(TouchPhase::Began, {100, 100}));
  EXPECT_EQ(button_->record.calls.back(), "began");
}
