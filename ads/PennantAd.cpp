#include "ads/PennantAd.h"

#include <cstdio>

#include "ads/PennantAdServer.h"
#include "ads/PennantDelegateDefaults.h"
#include "ads/PennantImageCache.h"
#include "ads/PennantLocalizer.h"
#include "ads/destinations/PennantBrowserIcons.h"
#include "platform/ui/ActivityIndicatorView.h"

namespace pennant {

std::shared_ptr<PennantAd> PennantAd::initWithAdFormat(int format) {
  return std::make_shared<PennantAd>(Passkey{}, format);
}

PennantAd::PennantAd(Passkey, int format) : activeDownloads_(std::in_place), format_(format) {}

PennantAd::~PennantAd() {
  // Whatever is still loading for this ad stops silently.
  if (activeDownloads_) {
    for (const auto& download : *activeDownloads_) download->cancel();
  }
}

void PennantAd::request() {
  if (state_ != State::Created) return;
  // The strings are fetched for later banners; this ad does not wait.
  PennantLocalizer::sharedLocalizer().downloadResourcesIfNecessary();
  loadBrowserIcons();
}

void PennantAd::loadBrowserIcons() {
  state_ = State::LoadingBrowserIcons;
  // The icons are needed unless the host turns the embedded browser off.
  auto delegate = delegate_.lock();
  if (PennantDelegateDefaults::useEmbeddedWebView(delegate.get())) {
    bool started = false;
    for (std::string_view name : kBrowserIcons) {
      if (PennantImageCache::sharedCache().imageIsInCache(name)) continue;
      started = true;
      addDownloadWithIdentifier(PennantAdServer::browserIconURL(name), std::string(name));
      // A download that could not start has already failed the ad.
      if (state_ != State::LoadingBrowserIcons) return;
    }
    if (started) return;  // the dispatcher continues when the last icon is in
  }
  browserIconsDidFinishLoading();
}

void PennantAd::browserIconsDidFinishLoading() {
  state_ = State::BrowserIconsPresent;
  requestAdFromServer();
}

void PennantAd::requestAdFromServer() {
  if (state_ != State::BrowserIconsPresent) return;
  // Parameters that cannot be assembled leave the query string empty;
  // the request goes out all the same.
  std::string query;
  if (auto parameters = buildParams()) {
    if (auto text = queryStringFromDictionary(*parameters)) query = *text;
  }
  // A host may send its requests to an endpoint of its own.
  auto delegate = delegate_.lock();
  std::optional<std::string> endpoint = delegate ? delegate->adserverEndpoint() : std::nullopt;
  if (!endpoint) endpoint = PennantAdServer::adRequestEndpoint();
  state_ = State::RequestingAd;
  addDownloadWithIdentifier(*endpoint + "?" + query, std::nullopt);
}

void PennantAd::addDownloadWithIdentifier(const std::optional<std::string>& url,
                                          const std::optional<std::string>& identifier) {
  trackedDownloadWithIdentifier(identifier)->loadContentsOfURLAtString(url);
}

std::shared_ptr<PennantURLDownload> PennantAd::trackedDownloadWithIdentifier(
    const std::optional<std::string>& identifier) {
  auto download = PennantURLDownload::create();
  download->setSuccessSelector(PennantURLDownload::selector(weak_from_this(), &PennantAd::downloadDidSucceed));
  download->setFailureSelector(PennantURLDownload::selector(weak_from_this(), &PennantAd::downloadDidFail));
  download->setDelegate(weak_from_this());
  download->setIdentifier(identifier);
  // The set takes the download before it starts: a download that fails at
  // once finds itself in the set, and the dispatcher takes it out again.
  if (activeDownloads_) activeDownloads_->insert(download);
  return download;
}

void PennantAd::requestDidSucceed() {
  state_ = State::Ready;
  auto protector = shared_from_this();
  if (auto adDelegate = adDelegate_.lock()) adDelegate->adDidLoad(protector);
}

void PennantAd::requestDidFail() {
  auto protector = shared_from_this();
  if (activeDownloads_) {
    auto downloads = std::move(*activeDownloads_);
    activeDownloads_.reset();
    for (const auto& download : downloads) download->cancel();
  }
  state_ = State::Failed;
  if (auto adDelegate = adDelegate_.lock()) adDelegate->adDidFailToLoad(protector);
}

void PennantAd::removeTrackedDownload(const std::shared_ptr<PennantURLDownload>& download) {
  if (activeDownloads_) activeDownloads_->erase(download);
}

platform::graphics::Color PennantAd::backgroundColor() const {
  return PennantDelegateDefaults::adBackgroundColor(delegate_.lock().get());
}

platform::graphics::Color PennantAd::textColor() const {
  return PennantDelegateDefaults::adTextColor(delegate_.lock().get());
}

int PennantAd::spinnerStyle() const {
  using platform::ui::ActivityIndicatorView;
  return PennantDelegateDefaults::useGraySpinner(delegate_.lock().get()) ? ActivityIndicatorView::kStyleGray
                                                                         : ActivityIndicatorView::kStyleWhite;
}

namespace {

std::string pointerText(const void* pointer) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", pointer);
  return text;
}

std::string imageText(const std::shared_ptr<platform::graphics::Image>& image) {
  if (!image) return "(null)";
  return "<Image " + pointerText(image.get()) + " " + std::to_string(image->pixelWidth()) + "x" +
         std::to_string(image->pixelHeight()) + ">";
}

}  // namespace

std::string PennantAd::description() const {
  std::string downloads = "(null)";
  if (activeDownloads_) {
    downloads = "{(";
    for (const auto& download : *activeDownloads_) {
      downloads += (downloads.size() > 2 ? ", " : "") + download->description();
    }
    downloads += ")}";
  }
  return "<PennantAd " + pointerText(this) + ": '" + text_.value_or("(null)") + "', '" + action_.value_or("(null)") +
         "', '" + clickUrl_.value_or("(null)") + "', " + imageText(userImage_) + ", " + imageText(actionImage_) +
         ", " + downloads + ">";
}

}  // namespace pennant
