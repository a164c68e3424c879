#pragma once
// The dark translucent backdrop of a modal presentation (the embedded
// browser, the canvas). It is created over the banner's rectangle, grows to
// the application frame (expand), and later shrinks back onto the banner
// (shrink); a tap on the backdrop itself asks its controller to dismiss.
//
//   auto backdrop = PennantModalBackground::create(bannerRectInWindow);
//   backdrop->setController(controller);           // weak
//   backdrop->setDismissSelector([weak] { ... dismissModal(); });
//   backdrop->setDidExpandSelector(...); backdrop->setDidShrinkSelector(...);
//   window->addSubview(backdrop);
//   backdrop->expand();
//
// Ownership: the window holds the backdrop from the start of the
// presentation until the end of the shrink. The controller is a weak link
// (it is the animations' delegate: a controller that has gone gets no
// callback); the backdrop also keeps the controller alive through
// holdPresentation while it is shown, so that a presentation always runs
// to its end, even when the ad controller has replaced the modal
// controller by a newer one meanwhile. The selectors are owned and should
// capture the controller weakly.

#include <functional>
#include <memory>

#include "platform/graphics/Rect.h"
#include "platform/ui/View.h"

namespace pennant {

class PennantModalBackground : public platform::ui::View {
 public:
  static constexpr const char* kExpandAnimationID = "PennantModalBackgroundExpand";
  static constexpr const char* kShrinkAnimationID = "PennantModalBackgroundShrink";
  static constexpr double kExpandDuration = 0.5;
  static constexpr double kShrinkDuration = 0.5;
  static constexpr double kWhiteLevel = 0.2;
  static constexpr double kAlpha = 0.9;

  using Selector = std::function<void()>;

  static std::shared_ptr<PennantModalBackground> create(platform::graphics::Rect frame);

  // Takes `frame` as the rectangle the shrink returns to.
  void initWithFrame(platform::graphics::Rect frame) override;

  std::shared_ptr<void> controller() const { return controller_.lock(); }
  void setController(std::weak_ptr<void> controller) { controller_ = std::move(controller); }
  void setDismissSelector(Selector selector) { dismissSelector_ = std::move(selector); }
  void setDidExpandSelector(AnimationDidStop selector) { didExpandSelector_ = std::move(selector); }
  void setDidShrinkSelector(AnimationDidStop selector) { didShrinkSelector_ = std::move(selector); }
  platform::graphics::Rect initialFrame() const { return initialFrame_; }

  // Keeps `presentation` alive for as long as the backdrop lives.
  void holdPresentation(std::shared_ptr<void> presentation) { presentation_ = std::move(presentation); }

  // Animates the frame to the main screen's application frame, then calls
  // the did-expand selector.
  void expand();
  // Animates the frame back to initialFrame, then calls the did-shrink
  // selector.
  void shrink();

  // A finger lifted from a touch that began on the backdrop itself (not on
  // the content above it) asks for the dismissal. Touches end here: none
  // is passed on to the views underneath.
  void touchesBeganWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesMovedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesEndedWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;
  void touchesCancelledWithEvent(const platform::ui::TouchSet& touches, platform::ui::Event& event) override;

 private:
  void animateFrameTo(const char* animationID, double duration, platform::graphics::Rect frame,
                      const AnimationDidStop& didStop);

  std::weak_ptr<void> controller_;
  Selector dismissSelector_;
  AnimationDidStop didExpandSelector_;
  AnimationDidStop didShrinkSelector_;
  platform::graphics::Rect initialFrame_;
  std::shared_ptr<void> presentation_;
};

}  // namespace pennant
