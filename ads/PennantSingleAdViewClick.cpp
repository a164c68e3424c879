// The interactive half of PennantSingleAdView: touch tracking with its
// highlight, the click hand-over to the controller, and the click feedback
// (pulse, spinner, restored icon) on the run loop's clock.

#include "ads/PennantController.h"
#include "ads/PennantSingleAdView.h"
#include "ads/PennantViewInternal.h"
#include "ads/PennantViewTags.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/KeyframeAnimation.h"
#include "platform/ui/Touch.h"

namespace pennant {

using platform::Timer;
using platform::graphics::Color;
using platform::graphics::Point;
using platform::graphics::Rect;
using platform::ui::CATransform3DMakeScale;

namespace {

// The pulse: the icon grows to 1.4 times its size at 0.2 s, then shrinks
// to a tenth by 0.5 s.
constexpr double kPulseDuration = 0.5;
constexpr double kPulsePeakScale = 1.4;
constexpr double kPulseEndScale = 0.1;
constexpr double kPulsePeakTime = 0.4;
const Color kHighlightColor = Color::colorWithWhiteAlpha(0.5, 0.5);

}  // namespace

std::shared_ptr<PennantSingleAdView> PennantSingleAdView::self() {
  return std::static_pointer_cast<PennantSingleAdView>(shared_from_this());
}

void PennantSingleAdView::touchesBeganWithEvent(const platform::ui::TouchSet& /*touches*/,
                                                platform::ui::Event& /*event*/) {
  setTouched(true);
}

void PennantSingleAdView::touchesMovedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& /*event*/) {
  // The highlight follows the finger out of the banner and back.
  if (!touches.empty()) setTouched(touchIsInSelf(**touches.begin()));
}

void PennantSingleAdView::touchesEndedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& /*event*/) {
  setTouched(false);
  if (touches.empty() || !touchIsInSelf(**touches.begin())) return;
  auto adView = std::dynamic_pointer_cast<PennantViewInternal>(superview());
  if (auto controller = adView ? adView->controller() : nullptr) controller->click(self());
}

void PennantSingleAdView::touchesCancelledWithEvent(const platform::ui::TouchSet& /*touches*/,
                                                    platform::ui::Event& /*event*/) {
  setTouched(false);
}

bool PennantSingleAdView::touchIsInSelf(const platform::ui::Touch& touch) const {
  const Point point = touch.locationInView(shared_from_this());
  const auto size = bounds().size;
  return point.x >= 0 && point.x < size.width && point.y >= 0 && point.y < size.height;
}

void PennantSingleAdView::setTouched(bool touched) {
  if (touched == touched_) return;
  if (touched) {
    auto highlight = platform::ui::View::create({{0, 0}, bounds().size});
    highlight->setBackgroundColor(kHighlightColor);
    highlight->setTag(kTouchHighlightTag);
    addSubview(highlight);
  } else if (auto highlight = viewWithTag(kTouchHighlightTag); highlight && highlight.get() != this) {
    highlight->removeFromSuperview();
  }
  touched_ = touched;
}

void PennantSingleAdView::animateActionIconForClick() {
  ++clicksInFlight_;
  // A second click joins the feedback under way: no icon to pulse, and the
  // feedback ends once every click has reported.
  if (feedbackRunning_ || !actionIconLayer_) return;
  feedbackRunning_ = true;
  animatingForClick_ = true;
  // A click that has already reported its end still shows its feedback.
  if (clicksInFlight_ <= 0) removeSpinnerRequested_ = true;

  auto pulse = platform::ui::KeyframeAnimation::animationWithKeyPath("transform");
  pulse->setValues({CATransform3DMakeScale(1, 1, 1), CATransform3DMakeScale(kPulsePeakScale, kPulsePeakScale, 1),
                    CATransform3DMakeScale(kPulseEndScale, kPulseEndScale, 1)});
  pulse->setKeyTimes({0.0, kPulsePeakTime, 1.0});
  pulse->setDuration(kPulseDuration);
  pulse->setRemovedOnCompletion(false);
  pulse->setDelegate(self());
  actionIconLayer_->addAnimationForKey(pulse, kPulseAnimationKey);
  // The icon stays small once the animation has ended.
  actionIconLayer_->setTransform(CATransform3DMakeScale(kPulseEndScale, kPulseEndScale, 1));
}

void PennantSingleAdView::animationDidStopFinished(const std::shared_ptr<platform::ui::KeyframeAnimation>& /*animation*/,
                                                   bool /*finished*/) {
  // Only the pulse of the feedback under way leads on to the spinner.
  if (!animatingForClick_ || !actionIconLayer_ || addSpinnerTimer_) return;
  // Scaling about the centre leaves the centre where it was.
  const Rect frame = actionIconLayer_->frame();
  const Point centre{frame.midX(), frame.midY()};
  actionIconLayer_->removeFromSuperlayer();
  actionIconLayer_.reset();
  cancelTimer(addSpinnerTimer_);
  addSpinnerTimer_ =
      Timer::scheduledTimerWithTimeInterval(kSpinnerDelay, self(), &PennantSingleAdView::addSpinner, centre, false);
}

void PennantSingleAdView::addSpinner(Timer& timer) {
  auto spinner = platform::ui::ActivityIndicatorView::initWithActivityIndicatorStyle(
      ad_ ? ad_->spinnerStyle() : platform::ui::ActivityIndicatorView::kStyleWhite);
  if (const Point* centre = std::any_cast<Point>(&timer.userInfo())) spinner->setCenter(*centre);
  spinner->setTag(kSpinnerTag);
  addSubview(spinner);
  spinner->startAnimating();
  animatingForClick_ = false;
  if (removeSpinnerRequested_) scheduleRemoveSpinnerTimer();
  if (&timer == addSpinnerTimer_.get()) cancelTimer(addSpinnerTimer_);
}

void PennantSingleAdView::removeSpinnerAndRestoreActionIcon() {
  --clicksInFlight_;
  // Another click is still in flight, or this one has not started its
  // feedback yet (animateActionIconForClick takes it from there).
  if (clicksInFlight_ > 0 || !feedbackRunning_) return;
  if (animatingForClick_) {
    removeSpinnerRequested_ = true;
  } else {
    scheduleRemoveSpinnerTimer();
  }
}

void PennantSingleAdView::scheduleRemoveSpinnerTimer() {
  cancelTimer(removeSpinnerTimer_);
  removeSpinnerTimer_ = Timer::scheduledTimerWithTimeInterval(
      kSpinnerDelay, self(), &PennantSingleAdView::removeSpinnerAndRestoreActionIconDelayed, {}, false);
}

void PennantSingleAdView::removeSpinnerAndRestoreActionIconDelayed(Timer& timer) {
  while (auto spinner = viewWithTag(kSpinnerTag)) {
    if (spinner.get() == this) break;
    spinner->removeFromSuperview();
  }
  layer()->setSublayers({});
  setActionIcon(ad_ ? ad_->actionImage() : nullptr);
  removeSpinnerRequested_ = false;
  feedbackRunning_ = false;
  // A click that reported before its feedback began is settled now.
  if (clicksInFlight_ < 0) clicksInFlight_ = 0;
  if (&timer == removeSpinnerTimer_.get()) cancelTimer(removeSpinnerTimer_);
}

}  // namespace pennant
