#include "ads/destinations/PennantModalController.h"

#include "platform/foundation/Log.h"
#include "platform/ui/Window.h"

namespace pennant {

namespace {

PennantModalController::Observer& observer() {
  static auto* observer = new PennantModalController::Observer();
  return *observer;
}

void observe(const char* event, const std::string& kind, const std::string& outcome = "") {
  if (observer()) observer()(event, kind, outcome);
}

}  // namespace

void PennantModalController::setObserver(Observer newObserver) { observer() = std::move(newObserver); }

PennantModalController::PennantModalController(std::string kind, DelegateSelector willPresentSelector,
                                               DelegateSelector didDismissSelector)
    : kind_(std::move(kind)), willPresentSelector_(willPresentSelector), didDismissSelector_(didDismissSelector) {}

PennantModalController::~PennantModalController() { invalidateDismissalDelayTimer(); }

void PennantModalController::notifyHost(DelegateSelector selector) {
  auto host = pennantDelegate_.lock();
  if (host && selector) ((*host).*selector)();
}

void PennantModalController::presentModalFromView(const std::shared_ptr<PennantView>& adView) {
  adView_ = adView;
  // The backdrop joins the ad view's window; without one there is nowhere
  // to show anything, and the host is not told of a presentation that
  // never happens.
  auto window = adView ? adView->window() : nullptr;
  if (!window) {
    platform::log("Pennant: cannot present the " + kind_ + ": the ad view is in no window");
    return;
  }

  observe("will-present", kind_);
  notifyHost(willPresentSelector_);

  // The banner's rectangle in the window, read after the host's
  // notification, which may have moved it.
  auto superview = adView->superview();
  const platform::graphics::Rect bannerRect =
      superview ? superview->convertRectToView(adView->frame(), nullptr) : adView->frame();

  auto background = PennantModalBackground::create(bannerRect);
  background->setController(weakSelf());
  background->setDismissSelector([weak = weakSelf()] {
    if (auto self = weak.lock()) self->dismissModal();
  });
  background->setDidExpandSelector([weak = weakSelf()](const std::string& name, bool finished, void* context) {
    if (auto self = weak.lock()) self->backgroundExpandAnimationDidStopWithAnimationIDFinishedContext(name, finished, context);
  });
  background->setDidShrinkSelector([weak = weakSelf()](const std::string& name, bool finished, void* context) {
    if (auto self = weak.lock()) self->backgroundShrinkAnimationDidStopWithAnimationIDFinishedContext(name, finished, context);
  });
  background->holdPresentation(shared_from_this());
  background_ = background;
  window->addSubview(background);

  presentationAnimationInProgress_ = true;
  background->expand();
}

void PennantModalController::backgroundExpandAnimationDidStopWithAnimationIDFinishedContext(const std::string&, bool,
                                                                                            void*) {
  auto background = background_.lock();
  if (!background) return;
  if (modalView_) {
    modalView_->setAlpha(0.0);
    background->addSubview(modalView_);
  }
  platform::ui::View::beginAnimationsContext(kFadeInAnimationID, nullptr);
  platform::ui::View::setAnimationDelegate(weakSelf());
  platform::ui::View::setAnimationDidStopSelector([weak = weakSelf()](const std::string& name, bool finished,
                                                                      void* context) {
    if (auto self = weak.lock()) self->modalViewDidFadeInWithAnimationIDFinishedContext(name, finished, context);
  });
  if (modalView_) modalView_->setAlpha(1.0);
  platform::ui::View::commitAnimations();
}

void PennantModalController::modalViewDidFadeInWithAnimationIDFinishedContext(const std::string&, bool, void*) {
  presentationAnimationInProgress_ = false;
  observe("presented", kind_);
  if (dismissalRequested_) scheduleDeferredDismissal();
}

void PennantModalController::scheduleDeferredDismissal() {
  invalidateDismissalDelayTimer();
  dismissalDelayTimer_ = platform::Timer::scheduledTimerWithTimeInterval(
      kDismissalDelay, nullptr,
      [weak = weakSelf()](platform::Timer&) {
        if (auto self = weak.lock()) self->dismissModal();
      },
      {}, false);
}

void PennantModalController::invalidateDismissalDelayTimer() {
  if (dismissalDelayTimer_) dismissalDelayTimer_->invalidate();
  dismissalDelayTimer_.reset();
}

void PennantModalController::dismissModal() {
  if (!background_.lock()) {
    // Nothing is shown: not yet presented, never presented (no window), or
    // already gone.
    observe("dismiss-requested", kind_, "ignore");
    return;
  }
  if (presentationAnimationInProgress_) {
    dismissalRequested_ = true;
    observe("dismiss-requested", kind_, "defer");
    return;
  }
  if (dismissalAnimationInProgress_) {
    observe("dismiss-requested", kind_, "ignore");
    return;
  }
  dismissalAnimationInProgress_ = true;
  // A deferred dismissal still waiting has nothing left to do.
  invalidateDismissalDelayTimer();
  observe("dismiss-requested", kind_, "start");
  platform::ui::View::beginAnimationsContext(kFadeOutAnimationID, nullptr);
  platform::ui::View::setAnimationDelegate(weakSelf());
  platform::ui::View::setAnimationDidStopSelector([weak = weakSelf()](const std::string& name, bool finished,
                                                                      void* context) {
    if (auto self = weak.lock()) self->modalViewDidFadeOutWithAnimationIDFinishedContext(name, finished, context);
  });
  if (modalView_) modalView_->setAlpha(0.0);
  platform::ui::View::commitAnimations();
}

void PennantModalController::modalViewDidFadeOutWithAnimationIDFinishedContext(const std::string&, bool, void*) {
  if (modalView_) modalView_->removeFromSuperview();
  modalView_.reset();
  if (auto background = background_.lock()) background->shrink();
}

void PennantModalController::backgroundShrinkAnimationDidStopWithAnimationIDFinishedContext(const std::string&, bool,
                                                                                             void*) {
  // Removing the backdrop lets go of the reference it held to this
  // controller; the rest of this call still needs it.
  auto protector = shared_from_this();
  if (auto background = background_.lock()) background->removeFromSuperview();
  dismissalAnimationInProgress_ = false;
  observe("dismissed", kind_);
  notifyHost(didDismissSelector_);
  adView_.reset();
}

}  // namespace pennant
