// The answer half of PennantAd: reading the ad server's answer into the ad,
// the downloads of the ad's two images, the one dispatcher through which every
// tracked download reports, and the pixels.

#include "ads/PennantAd.h"
#include "ads/PennantAdServer.h"
#include "ads/PennantImageCache.h"
#include "json/JSONDeserializer.h"

namespace pennant {

using platform::graphics::Image;

namespace {

std::shared_ptr<Image> imageFromData(const PennantURLDownload::Data& data) {
  if (!data) return nullptr;
  return Image::imageWithData(std::span<const std::uint8_t>(*data));
}

}  // namespace

void PennantAd::loadAdWithData(const PennantURLDownload::Data& data) {
  // 1.
  if (!data || data->empty()) {
    requestDidFail();
    return;
  }
  // 2. Anything but a JSON object reads as an object without keys. Values
  // of another type than text count as absent.
  auto answer = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);
  auto read = [&answer](std::string_view key) -> std::optional<std::string> {
    return answer ? answer->stringForKey(key) : std::nullopt;
  };
  // 3.
  text_ = read("text");
  action_ = read("6");
  actionImageName_ = read("18");
  if (!actionImageName_) actionImageName_ = action_;
  userString_ = read("8");
  clickUrl_ = read("url");
  jsonpUrl_ = read("jsonp_url");
  // 4.
  std::optional<std::string> imageUrl;
  if (auto banner = read("banner")) {
    imageUrl = banner;
    medium_ = 1;
  } else if (auto path = read("204")) {
    imageUrl = PennantAdServer::textAdImageURL(*path);
    medium_ = 0;
  }
  // 5.
  bool accepted = action_ && actionImageName_ && clickUrl_ && imageUrl && (text_ || medium_ == 1);
  if (!accepted) {
    requestDidFail();
    return;
  }
  // 6-7.
  state_ = 4;
  addDownloadWithIdentifier(imageUrl, std::string("userImage"));
  if (state_ != 4) return;  // the picture could not even start: the ad failed
  // 8.
  auto& cache = PennantImageCache::sharedCache();
  if (cache.imageIsInCache(*actionImageName_)) {
    actionImage_ = cache.fetchImageNamed(*actionImageName_);
  } else {
    addDownloadWithIdentifier(PennantAdServer::actionIconURL(*actionImageName_), std::string("actionIcon"));
  }
  // 9. Only image banners are counted by pixels.
  if (medium_ == 1) {
    auto cpm = read("cpm_url");
    if (cpm && !cpm->empty()) accountingPixelUrl_ = cpm;
    auto tracking = read("tracking_pixel");
    if (tracking && !tracking->empty()) trackingPixelUrl_ = tracking;
  }
}

void PennantAd::downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& finished) {
  if (state_ != 1 && state_ != 3 && state_ != 4) return;  // neither removed nor finished
  auto protector = shared_from_this();
  auto download = finished;
  removeTrackedDownload(download);
  auto finish = [&download] { download->cancel(); };

  if (state_ == 1) {
    auto icon = imageFromData(download->data());
    if (!icon) {
      finish();
      requestDidFail();
      return;
    }
    PennantImageCache::sharedCache().storeImageWithName(*icon, download->identifier().value_or(""));
    finish();
    if (activeDownloads_ && activeDownloads_->empty()) browserIconsDidFinishLoading();
    return;
  }
  if (state_ == 3) {
    auto data = download->data();  // read before cancel drops it
    loadAdWithData(data);
    finish();
    return;
  }
  // State 4: the ad's picture or its action icon.
  if (download->identifier() == "userImage") {
    userImage_ = imageFromData(download->data());
    if (!userImage_) {
      finish();
      requestDidFail();
      return;
    }
  } else if (download->identifier() == "actionIcon") {
    actionImage_ = imageFromData(download->data());
    if (!actionImage_) {
      finish();
      requestDidFail();
      return;
    }
    PennantImageCache::sharedCache().storeImageWithName(*actionImage_, actionImageName_.value_or(""));
  }
  finish();
  if (activeDownloads_ && activeDownloads_->empty()) requestDidSucceed();
}

void PennantAd::downloadDidFail(const std::shared_ptr<PennantURLDownload>& failed) {
  auto protector = shared_from_this();
  auto download = failed;
  removeTrackedDownload(download);
  if (state_ == 1 || state_ == 3 || state_ == 4) requestDidFail();
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
  download->setSuccessSelector(PennantURLDownload::selector(&PennantAd::accountingPixelDownloadDidSucceed));
  download->setFailureSelector(PennantURLDownload::selector(&PennantAd::accountingPixelDownloadDidFail));
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
