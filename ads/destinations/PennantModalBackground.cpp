#include "ads/destinations/PennantModalBackground.h"

#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"

namespace pennant {

std::shared_ptr<PennantModalBackground> PennantModalBackground::create(platform::graphics::Rect frame) {
  auto backdrop = std::make_shared<PennantModalBackground>();
  backdrop->initWithFrame(frame);
  return backdrop;
}

void PennantModalBackground::initWithFrame(platform::graphics::Rect frame) {
  View::initWithFrame(frame);
  initialFrame_ = frame;
  setBackgroundColor(platform::graphics::Color::colorWithWhiteAlpha(kWhiteLevel, kAlpha));
  setOpaque(false);
}

void PennantModalBackground::expand() {
  animateFrameTo(kExpandAnimationID, kExpandDuration, platform::ui::Screen::mainScreen().applicationFrame(),
                 didExpandSelector_);
}

void PennantModalBackground::shrink() {
  animateFrameTo(kShrinkAnimationID, kShrinkDuration, initialFrame_, didShrinkSelector_);
}

void PennantModalBackground::animateFrameTo(const char* animationID, double duration,
                                            platform::graphics::Rect frame, const AnimationDidStop& didStop) {
  beginAnimationsContext(animationID, nullptr);
  setAnimationDuration(duration);
  setAnimationDelegate(controller_);
  setAnimationDidStopSelector(didStop);
  setFrame(frame);
  commitAnimations();
}

void PennantModalBackground::touchesBeganWithEvent(const platform::ui::TouchSet&, platform::ui::Event&) {}

void PennantModalBackground::touchesMovedWithEvent(const platform::ui::TouchSet&, platform::ui::Event&) {}

void PennantModalBackground::touchesEndedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event&) {
  if (touches.empty()) return;
  const auto& touch = *touches.begin();
  if (touch->view().get() == this && dismissSelector_) {
    // The selector may end the presentation; the backdrop stays alive until
    // it returns.
    auto protector = shared_from_this();
    auto dismiss = dismissSelector_;
    dismiss();
  }
}

void PennantModalBackground::touchesCancelledWithEvent(const platform::ui::TouchSet&, platform::ui::Event&) {}

}  // namespace pennant
