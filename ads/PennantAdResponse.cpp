// The answer half of PennantAd: reading the ad server's answer into the ad,
// the downloads of the ad's two images, the one dispatcher through which every
// tracked download reports, and the pixels.

#include "ads/PennantAd.h"
#include "ads/PennantAdAnswer.h"
#include "ads/PennantAdServer.h"
#include "ads/PennantImageCache.h"
#include "ads/PennantImageRoles.h"

namespace pennant {

using platform::graphics::Image;

namespace {

std::shared_ptr<Image> imageFromData(const PennantURLDownload::Data& data, Image::Limit limit) {
  if (!data) return nullptr;
  return Image::imageWithData(std::span<const std::uint8_t>(*data), limit);
}

}  // namespace

void PennantAd::loadAdWithData(const PennantURLDownload::Data& data) {
  if (!data || data->empty()) {
    requestDidFail();
    return;
  }
  const PennantAdAnswer answer = PennantAdAnswer::answerWithData(data);
  text_ = answer.text;
  action_ = answer.action;
  actionImageName_ = answer.actionImageName;
  userString_ = answer.userString;
  clickUrl_ = answer.clickUrl;
  jsonpUrl_ = answer.jsonpUrl;
  medium_ = answer.medium;
  // A rejected answer keeps only the fields read so far.
  if (!answer.isAccepted()) {
    requestDidFail();
    return;
  }
  state_ = State::LoadingAdImages;
  addDownloadWithIdentifier(answer.imageUrl, std::string("userImage"));
  if (state_ != State::LoadingAdImages) return;  // the picture could not even start: the ad failed
  // The action icon comes from the cache when it can.
  auto& cache = PennantImageCache::sharedCache();
  if (cache.imageIsInCache(*actionImageName_)) {
    actionImage_ = cache.fetchImageNamed(*actionImageName_);
  } else {
    addDownloadWithIdentifier(PennantAdServer::actionIconURL(*actionImageName_), std::string("actionIcon"));
  }
  // Only image banners are counted by pixels.
  accountingPixelUrl_ = answer.accountingPixelUrl;
  trackingPixelUrl_ = answer.trackingPixelUrl;
}

void PennantAd::downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& finished) {
  if (isClickDownload(*finished)) {
    clickDownloadDidSucceed(finished);
    return;
  }
  // In the states that wait for nothing, a late download is neither removed
  // nor finished.
  if (!isLoading(state_)) return;
  auto protector = shared_from_this();
  auto download = finished;
  removeTrackedDownload(download);
  auto finish = [&download] { download->cancel(); };

  if (state_ == State::LoadingBrowserIcons) {
    auto icon = imageFromData(download->data(), PennantImageRoles::kBrowserIcon);
    if (!icon) {
      finish();
      requestDidFail();
      return;
    }
    PennantImageCache::sharedCache().storeImageWithNameInBackground(icon, download->identifier().value_or(""),
                                                        std::span<const std::uint8_t>(*download->data()));
    finish();
    if (activeDownloads_ && activeDownloads_->empty()) browserIconsDidFinishLoading();
    return;
  }
  if (state_ == State::RequestingAd) {
    auto data = download->data();  // read before cancel drops it
    loadAdWithData(data);
    finish();
    return;
  }
  // The ad's picture or its action icon.
  if (download->identifier() == "userImage") {
    userImage_ = imageFromData(download->data(),
                               medium_ == PennantAdMedium::Banner ? PennantImageRoles::kBannerPicture : PennantImageRoles::kTextAdIcon);
    if (!userImage_) {
      finish();
      requestDidFail();
      return;
    }
  } else if (download->identifier() == "actionIcon") {
    actionImage_ = imageFromData(download->data(), PennantImageRoles::kActionIcon);
    if (!actionImage_) {
      finish();
      requestDidFail();
      return;
    }
    PennantImageCache::sharedCache().storeImageWithNameInBackground(actionImage_, actionImageName_.value_or(""),
                                                        std::span<const std::uint8_t>(*download->data()));
  }
  finish();
  if (activeDownloads_ && activeDownloads_->empty()) requestDidSucceed();
}

void PennantAd::downloadDidFail(const std::shared_ptr<PennantURLDownload>& failed) {
  auto protector = shared_from_this();
  auto download = failed;
  removeTrackedDownload(download);
  if (isClickDownload(*download)) {
    clickDownloads_.erase(download.get());
    clickDidFail();
  } else if (isLoading(state_)) {
    requestDidFail();
  }
  download->cancel();
}

void PennantAd::loadAccountingPixel() {
  if (accountingPixelLoaded_) return;
  accountingPixelLoaded_ = true;
  if (accountingPixelUrl_) firePixel(*accountingPixelUrl_, "accountingPixel");
  if (trackingPixelUrl_) firePixel(*trackingPixelUrl_, "trackingPixel");
}

void PennantAd::firePixel(const std::string& url, const char* identifier) {
  auto download = PennantURLDownload::create();
  download->setSuccessSelector(PennantURLDownload::selector(weak_from_this(), &PennantAd::accountingPixelDownloadDidSucceed));
  download->setFailureSelector(PennantURLDownload::selector(weak_from_this(), &PennantAd::accountingPixelDownloadDidFail));
  download->setDelegate(weak_from_this());
  download->setIdentifier(std::string(identifier));
  // The ad stays alive until its pixels have ended, whoever lets it go.
  selfWhilePixelsLoad_ = shared_from_this();
  pixelDownloads_.insert(download);
  download->loadContentsOfURLAtString(url);
}

void PennantAd::accountingPixelDownloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download) {
  finishPixel(download);
}

void PennantAd::accountingPixelDownloadDidFail(const std::shared_ptr<PennantURLDownload>& download) {
  finishPixel(download);
}

void PennantAd::finishPixel(const std::shared_ptr<PennantURLDownload>& finished) {
  auto download = finished;
  download->cancel();
  pixelDownloads_.erase(download);
  // The last pixel lets go of the ad; the caller's protector keeps it valid
  // until this callback has returned.
  if (pixelDownloads_.empty()) selfWhilePixelsLoad_.reset();
}

}  // namespace pennant
