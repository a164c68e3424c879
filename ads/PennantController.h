#pragma once
// Behind each ad view: owns the ad that is shown and the ad being loaded,
// puts a banner view into the ad view for each loaded ad (a fresh ad flips in
// over the old banner), and tells the host about the first ad only.
//
// Ownership: the ad view owns its controller; the controller keeps weak
// links to the view and to the host delegate, and owns its two ads and the
// last canvas and browser controllers it opened. Ads
// report through PennantAdDelegate; an ad that is no longer one of the two
// fields is ignored.
//
// An outcome that an ad reports while its `request()` is still running (a
// download that cannot even start fails at once) is held back and handled
// on the next turn of the run loop, like any other outcome: the host always
// hears about its first ad, and never before requestAdWithDelegate (or
// requestFreshAd) has returned, so a host that stores the returned view
// afterwards is not left holding a view it was already told had failed.

#include <memory>
#include <optional>
#include <string>

#include "ads/PennantAd.h"
#include "ads/PennantAdDelegate.h"
#include "ads/PennantDelegate.h"

namespace pennant {

class PennantView;
class PennantSingleAdView;
class PennantCanvasController;
class PennantBrowserController;

class PennantController : public PennantAdDelegate, public std::enable_shared_from_this<PennantController> {
 public:
  static std::shared_ptr<PennantController> create();
  ~PennantController() override;

  std::shared_ptr<PennantView> view() const { return view_.lock(); }
  void setView(const std::shared_ptr<PennantView>& view) { view_ = view; }
  std::shared_ptr<PennantDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<PennantDelegate>& delegate) { delegate_ = delegate; }

  void startFirstAdRequest();
  // Loads a new ad to replace the shown one, unless an image banner is shown.
  void requestFreshAd();

  const std::shared_ptr<PennantAd>& currentlyDisplayedAd() const { return currentlyDisplayedAd_; }
  const std::shared_ptr<PennantAd>& loadingAd() const { return loadingAd_; }

  void adDidLoad(const std::shared_ptr<PennantAd>& ad) override;
  void adDidFailToLoad(const std::shared_ptr<PennantAd>& ad) override;
  void clickDidSucceed(const std::shared_ptr<PennantAd>& ad) override;
  void clickDidFail(const std::shared_ptr<PennantAd>& ad) override;
  // A click whose destination shows inside the app: a new canvas (with the
  // ad's userString as its title) or a new embedded browser, presented from
  // the ad view, replaces the previous one of its kind.
  bool displayCanvasWithAdUrl(const std::shared_ptr<PennantAd>& ad,
                              const std::shared_ptr<const platform::Url>& url) override;
  bool displayEmbeddedBrowserWithAdUrl(const std::shared_ptr<PennantAd>& ad,
                                       const std::shared_ptr<const platform::Url>& url) override;
  const std::shared_ptr<PennantCanvasController>& canvasController() const { return canvasController_; }
  const std::shared_ptr<PennantBrowserController>& browserController() const { return browserController_; }

  // A finger lifted inside a banner: the banner's ad performs its click and
  // the banner shows the click feedback until the ad reports the end.
  void click(const std::shared_ptr<PennantSingleAdView>& banner);

 private:
  struct Passkey {};

 public:
  explicit PennantController(Passkey) {}

 private:
  std::shared_ptr<PennantAd> createAdWithInitiatedAdRequest();
  std::shared_ptr<PennantSingleAdView> createSingleAdViewWithAd(const std::shared_ptr<PennantAd>& ad);
  void newAdAnimationDidStopWithAnimationIDFinishedContext(const std::string& animationID, bool finished,
                                                           const std::shared_ptr<PennantSingleAdView>& oldBanner);
  void removeSpinnerAndRestoreActionIconIfPossibleForAd(const std::shared_ptr<PennantAd>& ad);
  void keepAliveUntilTheEventEnds();
  void replayEarlyOutcome(const std::shared_ptr<PennantAd>& ad);
  static void letGo(std::shared_ptr<PennantAd>& ad);

  std::weak_ptr<PennantView> view_;
  std::weak_ptr<PennantDelegate> delegate_;
  std::shared_ptr<PennantAd> currentlyDisplayedAd_;
  std::shared_ptr<PennantAd> loadingAd_;
  // The ad whose request() is running, and what it reported meanwhile
  // (true: loaded, false: failed).
  std::shared_ptr<PennantAd> adBeingRequested_;
  std::optional<bool> earlyOutcome_;
  // The last modal controller of each kind. A presentation still running
  // when one is replaced finishes on its own (its backdrop holds it).
  std::shared_ptr<PennantCanvasController> canvasController_;
  std::shared_ptr<PennantBrowserController> browserController_;
};

}  // namespace pennant
