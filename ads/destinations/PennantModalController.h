#pragma once
// The machinery every modal presentation of the library shares (the
// embedded browser, the canvas): a translucent backdrop that grows from the
// banner to the application frame, the content view fading in on it, and
// on dismissal the reverse. The host hears of it before the presentation
// starts and after the backdrop has gone, through the PennantDelegate
// methods the subclass names.
//
//   class PennantCanvasController : public PennantModalController { ... };
//   // subclass: setModalView(content) with its frame in the coordinates of
//   // the expanded backdrop, then
//   presentModalFromView(adView);          // 0.5 s expansion, 0.2 s fade-in
//   ...
//   dismissModal();                        // 0.2 s fade-out, 0.5 s shrink
//
// A dismissal asked for while the presentation still animates is kept: the
// content fades in completely, shows for half a second, then goes. Asking
// again while it goes changes nothing.
//
// Ownership: the ad controller owns the last modal controller of each kind;
// the content view is owned from setModalView until the fade-out has
// ended; the host delegate is a weak link. The window holds the backdrop
// for the whole presentation, and the backdrop holds this controller, so a
// presentation always finishes (backdrop removed, host told) even when the
// ad controller lets go of the controller on the way. The ad view is a
// weak link: it only gives the banner's rectangle, and a strong one would
// tie the ad view and the controller that owns this one into a cycle.
//
// An ad view that is in no window has nowhere to present: nothing is shown,
// the host is not told, and a line is logged. A controller that goes away
// while an animation or the deferred dismissal is pending (only possible
// when the window itself goes) cancels its timer; its callbacks, bound
// weakly, are skipped.

#include <functional>
#include <memory>
#include <string>

#include "ads/PennantDelegate.h"
#include "ads/PennantView.h"
#include "ads/destinations/PennantModalBackground.h"
#include "platform/foundation/Timer.h"
#include "platform/ui/View.h"

namespace pennant {

class PennantModalController : public std::enable_shared_from_this<PennantModalController> {
 public:
  static constexpr const char* kFadeInAnimationID = "fadeInModalView";
  static constexpr const char* kFadeOutAnimationID = "fadeOutModalView";
  // How long the content shows before a dismissal asked for during the
  // presentation starts.
  static constexpr double kDismissalDelay = 0.5;

  // A notification of the host delegate without arguments.
  using DelegateSelector = void (PennantDelegate::*)();
  // Told of each step of every presentation (for the event journal):
  // "will-present", "presented", "dismiss-requested" (with what became of
  // the request: "start", "defer" or "ignore") and "dismissed"; `kind` is
  // the subclass's kind ("browser", "canvas").
  using Observer = std::function<void(const std::string& event, const std::string& kind, const std::string& outcome)>;

  virtual ~PennantModalController();
  PennantModalController(const PennantModalController&) = delete;
  PennantModalController& operator=(const PennantModalController&) = delete;

  std::shared_ptr<PennantDelegate> pennantDelegate() const { return pennantDelegate_.lock(); }
  void setPennantDelegate(std::weak_ptr<PennantDelegate> delegate) { pennantDelegate_ = std::move(delegate); }

  void presentModalFromView(const std::shared_ptr<PennantView>& adView);
  virtual void dismissModal();

  // The steps of the chain, called when each animation has finished.
  void backgroundExpandAnimationDidStopWithAnimationIDFinishedContext(const std::string& animationID, bool finished,
                                                                      void* context);
  void modalViewDidFadeInWithAnimationIDFinishedContext(const std::string& animationID, bool finished, void* context);
  void modalViewDidFadeOutWithAnimationIDFinishedContext(const std::string& animationID, bool finished, void* context);
  void backgroundShrinkAnimationDidStopWithAnimationIDFinishedContext(const std::string& animationID, bool finished,
                                                                      void* context);

  // The state of the presentation.
  std::shared_ptr<PennantModalBackground> background() const { return background_.lock(); }
  const std::shared_ptr<platform::ui::View>& modalView() const { return modalView_; }
  bool presentationAnimationInProgress() const { return presentationAnimationInProgress_; }
  bool dismissalAnimationInProgress() const { return dismissalAnimationInProgress_; }
  bool dismissalRequested() const { return dismissalRequested_; }
  const std::string& kind() const { return kind_; }

  static void setObserver(Observer observer);

 protected:
  // `kind` names the presentation in the log and the journal; the two
  // selectors are the host's will-present and did-dismiss notifications.
  PennantModalController(std::string kind, DelegateSelector willPresentSelector, DelegateSelector didDismissSelector);

  void setModalView(std::shared_ptr<platform::ui::View> view) { modalView_ = std::move(view); }

 private:
  void notifyHost(DelegateSelector selector);
  void scheduleDeferredDismissal();
  void invalidateDismissalDelayTimer();
  std::weak_ptr<PennantModalController> weakSelf() { return weak_from_this(); }

  std::weak_ptr<PennantModalBackground> background_;
  bool presentationAnimationInProgress_ = false;
  bool dismissalAnimationInProgress_ = false;
  bool dismissalRequested_ = false;
  std::weak_ptr<PennantDelegate> pennantDelegate_;
  std::string kind_;
  DelegateSelector willPresentSelector_;
  DelegateSelector didDismissSelector_;
  std::shared_ptr<platform::ui::View> modalView_;
  std::weak_ptr<PennantView> adView_;
  std::shared_ptr<platform::Timer> dismissalDelayTimer_;
};

}  // namespace pennant
