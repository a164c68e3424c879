#pragma once
// How an ad reports to the controller that created it. The ad keeps a weak
// reference to its ad delegate: an ad that outlives its controller (a pixel
// download may keep it alive) reports to nobody.
//
// The four outcome methods are required. The two display requests are
// optional: they return false when not implemented (the base), and the ad
// then logs "Pennant internal error: adDelegate does not respond to ..." and
// opens nothing.

#include <memory>

namespace platform {
class Url;
}

namespace pennant {

class PennantAd;

class PennantAdDelegate {
 public:
  virtual ~PennantAdDelegate() = default;

  virtual void adDidLoad(const std::shared_ptr<PennantAd>& ad) = 0;
  virtual void adDidFailToLoad(const std::shared_ptr<PennantAd>& ad) = 0;
  virtual void clickDidSucceed(const std::shared_ptr<PennantAd>& ad) = 0;
  virtual void clickDidFail(const std::shared_ptr<PennantAd>& ad) = 0;

  virtual bool displayEmbeddedBrowserWithAdUrl(const std::shared_ptr<PennantAd>& /*ad*/,
                                                const std::shared_ptr<const platform::Url>& /*url*/) {
    return false;
  }
  virtual bool displayCanvasWithAdUrl(const std::shared_ptr<PennantAd>& /*ad*/,
                                      const std::shared_ptr<const platform::Url>& /*url*/) {
    return false;
  }
};

}  // namespace pennant
