#include "ads/PennantController.h"

#include "ads/PennantSingleAdView.h"
#include "ads/PennantView.h"
#include "ads/PennantViewTags.h"
#include "ads/destinations/PennantBrowserController.h"
#include "ads/destinations/PennantCanvasController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ViewTransition.h"

namespace pennant {

namespace {

// A fresh ad flips in from the right over the old banner.
constexpr const char* kNewAdAnimationID = "newPennantAd";
constexpr double kNewAdFlipDuration = 0.7;
constexpr int kNewAdTransition = static_cast<int>(platform::ui::AnimationTransition::FlipFromRight);

}  // namespace

std::shared_ptr<PennantController> PennantController::create() {
  return std::make_shared<PennantController>(Passkey{});
}

PennantController::~PennantController() {
  letGo(currentlyDisplayedAd_);
  letGo(loadingAd_);
}

void PennantController::letGo(std::shared_ptr<PennantAd>& ad) {
  // An ad that lives on (its pixels) no longer asks the host anything.
  if (ad) ad->setDelegate({});
  ad.reset();
}

std::shared_ptr<PennantAd> PennantController::createAdWithInitiatedAdRequest() {
  auto ad = PennantAd::initWithAdFormat(0);
  ad->setDelegate(delegate_);
  ad->setAdDelegate(weak_from_this());
  adBeingRequested_ = ad;
  earlyOutcome_.reset();
  ad->request();
  adBeingRequested_.reset();
  return ad;
}

void PennantController::startFirstAdRequest() {
  currentlyDisplayedAd_ = createAdWithInitiatedAdRequest();
  replayEarlyOutcome(currentlyDisplayedAd_);
}

void PennantController::requestFreshAd() {
  // While an image banner is shown nothing is requested at all.
  if (currentlyDisplayedAd_ && currentlyDisplayedAd_->medium() == PennantAd::Medium::Banner) return;
  // A fresh ad still loading is replaced without notice; its outcome will
  // match neither field.
  if (loadingAd_) loadingAd_->setDelegate({});
  loadingAd_ = createAdWithInitiatedAdRequest();
  replayEarlyOutcome(loadingAd_);
}

void PennantController::replayEarlyOutcome(const std::shared_ptr<PennantAd>& ad) {
  if (!earlyOutcome_) return;
  const bool loaded = *earlyOutcome_;
  earlyOutcome_.reset();
  // On the next turn of the run loop, not now: the host is still inside
  // requestAdWithDelegate (or requestFreshAd) and has not yet stored the
  // view it is about to be told about. By then the ad may have been
  // replaced; it is then ignored like any late outcome.
  std::weak_ptr<PennantController> weakSelf = weak_from_this();
  std::weak_ptr<PennantAd> weakAd = ad;
  platform::RunLoop::current().performSoon([weakSelf, weakAd, loaded] {
    auto self = weakSelf.lock();
    auto ad = weakAd.lock();
    if (!self || !ad) return;
    if (loaded) {
      self->adDidLoad(ad);
    } else {
      self->adDidFailToLoad(ad);
    }
  });
}

void PennantController::keepAliveUntilTheEventEnds() {
  // A host that drops the ad view from within its callback must not destroy
  // the controller while it is still running.
  platform::RunLoop::current().performSoon([keep = shared_from_this()] {});
}

void PennantController::adDidLoad(const std::shared_ptr<PennantAd>& ad) {
  if (ad && ad == adBeingRequested_) {
    earlyOutcome_ = true;
    return;
  }
  auto view = view_.lock();
  if (ad && ad == currentlyDisplayedAd_) {
    // The first ad.
    keepAliveUntilTheEventEnds();
    auto protector = shared_from_this();
    if (auto host = delegate_.lock()) host->didReceiveAd(view);
    if (view && currentlyDisplayedAd_) {
      auto banner = createSingleAdViewWithAd(currentlyDisplayedAd_);
      banner->setTag(kBannerTag);
      view->addSubview(banner);
    }
    return;
  }
  if (!ad || ad != loadingAd_) return;

  // A fresh ad flips in over the old banner; the host is not told.
  if (view) {
    std::shared_ptr<platform::ui::View> oldBanner = view->viewWithTag(kBannerTag);
    if (oldBanner == view) oldBanner.reset();
    auto banner = createSingleAdViewWithAd(loadingAd_);
    banner->setTag(kBannerTag);
    auto oldSingle = std::dynamic_pointer_cast<PennantSingleAdView>(oldBanner);
    if (oldBanner) oldBanner->setTag(kOutgoingBannerTag);

    platform::ui::View::beginAnimationsContext(kNewAdAnimationID, oldBanner.get());
    platform::ui::View::setAnimationDuration(kNewAdFlipDuration);
    platform::ui::View::setAnimationTransitionForViewCache(kNewAdTransition, view, true);
    platform::ui::View::setAnimationDelegate(weak_from_this());
    std::weak_ptr<PennantController> weakSelf = weak_from_this();
    platform::ui::View::setAnimationDidStopSelector(
        [weakSelf, oldSingle](const std::string& name, bool finished, void*) {
          if (auto self = weakSelf.lock()) self->newAdAnimationDidStopWithAnimationIDFinishedContext(name, finished, oldSingle);
        });
    view->addSubview(banner);
    if (oldBanner) oldBanner->removeFromSuperview();
    platform::ui::View::commitAnimations();
  }
  letGo(currentlyDisplayedAd_);
  currentlyDisplayedAd_ = std::move(loadingAd_);
  loadingAd_.reset();
}

void PennantController::newAdAnimationDidStopWithAnimationIDFinishedContext(
    const std::string& /*animationID*/, bool /*finished*/, const std::shared_ptr<PennantSingleAdView>& oldBanner) {
  // The old banner left the ad view when the flip began; this drops the
  // reference the animation kept to it.
  if (oldBanner) oldBanner->removeFromSuperview();
}

void PennantController::adDidFailToLoad(const std::shared_ptr<PennantAd>& ad) {
  if (ad && ad == adBeingRequested_) {
    earlyOutcome_ = false;
    return;
  }
  if (ad && ad == currentlyDisplayedAd_) {
    keepAliveUntilTheEventEnds();
    auto protector = shared_from_this();
    if (auto host = delegate_.lock()) host->didFailToReceiveAd(view_.lock());
    letGo(currentlyDisplayedAd_);
    return;
  }
  if (ad && ad == loadingAd_) letGo(loadingAd_);
}

std::shared_ptr<PennantSingleAdView> PennantController::createSingleAdViewWithAd(const std::shared_ptr<PennantAd>& ad) {
  auto view = view_.lock();
  auto banner = PennantSingleAdView::create(view ? view->bounds() : platform::graphics::Rect{{0, 0}, {320, 48}});
  banner->setAd(ad);
  return banner;
}

void PennantController::click(const std::shared_ptr<PennantSingleAdView>& banner) {
  if (!banner) return;
  // The ad's state is not checked: a second click while one is in flight
  // is a second click.
  if (auto ad = banner->ad()) ad->click();
  banner->animateActionIconForClick();
}

void PennantController::clickDidSucceed(const std::shared_ptr<PennantAd>& ad) {
  removeSpinnerAndRestoreActionIconIfPossibleForAd(ad);
}

void PennantController::clickDidFail(const std::shared_ptr<PennantAd>& ad) {
  removeSpinnerAndRestoreActionIconIfPossibleForAd(ad);
}

bool PennantController::displayCanvasWithAdUrl(const std::shared_ptr<PennantAd>& ad,
                                               const std::shared_ptr<const platform::Url>& url) {
  canvasController_ = PennantCanvasController::init();
  canvasController_->setPennantDelegate(delegate_);
  const std::string title = ad && ad->userString() ? *ad->userString() : "";
  canvasController_->presentCanvasFromViewUrlTitle(view_.lock(), url, title);
  return true;
}

bool PennantController::displayEmbeddedBrowserWithAdUrl(const std::shared_ptr<PennantAd>&,
                                                        const std::shared_ptr<const platform::Url>& url) {
  browserController_ = PennantBrowserController::init();
  browserController_->setPennantDelegate(delegate_);
  browserController_->presentBrowserFromViewUrl(view_.lock(), url);
  return true;
}

void PennantController::removeSpinnerAndRestoreActionIconIfPossibleForAd(const std::shared_ptr<PennantAd>& ad) {
  // A banner swapped in meanwhile shows another ad: its feedback is not
  // this click's.
  auto view = view_.lock();
  auto banner = view ? std::dynamic_pointer_cast<PennantSingleAdView>(view->viewWithTag(kBannerTag)) : nullptr;
  if (banner && ad && banner->ad() == ad) banner->removeSpinnerAndRestoreActionIcon();
}

}  // namespace pennant
