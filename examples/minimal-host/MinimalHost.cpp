#include "MinimalHost.h"

#include <cstdio>

MinimalHost::~MinimalHost() {
  // The refresh goes first, so that no tick can reach a dropped ad view.
  if (stopRefreshing_) stopRefreshing_();
}

void MinimalHost::start() { adView_ = pennant::PennantView::requestAdWithDelegate(shared_from_this()); }

void MinimalHost::didReceiveAd(const std::shared_ptr<pennant::PennantView>& /*adView*/) {
  std::fputs("minimal-host: the first ad arrived\n", stderr);
  window_.showAdView(adView_, {{0, 432}, {320, 48}});
  if (stopRefreshing_) stopRefreshing_();
  std::weak_ptr<MinimalHost> weak = weak_from_this();
  stopRefreshing_ = window_.repeatEvery(kRefreshSeconds, [weak] {
    if (auto host = weak.lock(); host && host->adView_) host->adView_->requestFreshAd();
  });
}

void MinimalHost::didFailToReceiveAd(const std::shared_ptr<pennant::PennantView>& /*adView*/) {
  std::fputs("minimal-host: no ad; running without a banner\n", stderr);
  adView_.reset();
}
