#pragma once
// The ad library's public face: a 320 x 48 transparent view that shows the
// host's ads.
//
//   adView_ = pennant::PennantView::requestAdWithDelegate(self);  // first request starts now
//   ... in didReceiveAd: place adView_ and call requestFreshAd() whenever a new ad is wanted
//
// The host owns the view it gets; the view owns its controller; the host
// delegate is not owned by the library. The library never moves, resizes
// or refreshes the view by itself.

#include <memory>
#include <string>

#include "ads/PennantDelegate.h"
#include "platform/ui/View.h"

namespace pennant {

class PennantView : public platform::ui::View {
 public:
  // A new ad view (in fact a PennantViewInternal) whose first ad request is
  // already under way.
  static std::shared_ptr<PennantView> requestAdWithDelegate(const std::shared_ptr<PennantDelegate>& delegate);
  // "20090402"
  static std::string version();

  // Asks the view's controller for a fresh ad.
  void requestFreshAd();
};

}  // namespace pennant
