#pragma once
// One ad, from its request to its last click. The controller creates it with
// `initWithAdFormat(0)`, sets its host delegate and ad delegate, and calls
// `request()`; the ad then fetches what it needs (localized strings, the
// embedded browser's icons), asks the ad server for an ad, reads the answer,
// downloads the ad's picture and action icon, and reports `adDidLoad` or
// `adDidFailToLoad` to its ad delegate.
//
// States keep the numbers the ad has always stored (State below): created,
// fetching the browser icons, icons present, ad request in flight, answer
// accepted with its images in flight, ready, failed for good, click in
// flight.
//
// Ownership: the ad owns its tracked downloads (`activeDownloads`); neither
// delegate is owned, and an ad whose delegates are gone reports to nobody. A
// pixel download keeps its ad alive until the pixel has ended. The ad holds
// itself alive while it reports, so a delegate may drop it from inside.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ads/PennantAdDelegate.h"
#include "ads/PennantAdMedium.h"
#include "ads/PennantDelegate.h"
#include "ads/PennantURLDownload.h"
#include "platform/foundation/Url.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

namespace pennant {

class PennantAd : public std::enable_shared_from_this<PennantAd> {
 public:
  enum class State : std::int32_t {
    Created = 0,
    LoadingBrowserIcons = 1,
    BrowserIconsPresent = 2,
    RequestingAd = 3,
    LoadingAdImages = 4,
    Ready = 5,
    Failed = 6,
    Clicking = 7,
  };
  // A banner keeps drawing while its click runs.
  static constexpr bool isDisplayable(State state) { return state == State::Ready || state == State::Clicking; }
  // The states in which a failed download fails the whole ad.
  static constexpr bool isLoading(State state) {
    return state == State::LoadingBrowserIcons || state == State::RequestingAd || state == State::LoadingAdImages;
  }

  using Medium = PennantAdMedium;

  // Request parameters in the order they were added (a dictionary whose
  // iteration order the library does not define; ours is the build order).
  using Parameters = std::vector<std::pair<std::string, std::string>>;

  // The library's build identifier, sent as "v".
  static constexpr const char* kBuildIdentifier = "20090402-iSDK-5096df531ccfaf53";

  static std::shared_ptr<PennantAd> initWithAdFormat(int format);
  ~PennantAd();
  PennantAd(const PennantAd&) = delete;
  PennantAd& operator=(const PennantAd&) = delete;

  // Starts the ad; acts only once, in the Created state.
  void request();
  // Fetches the click URL and carries out the ad's action with the answer;
  // the ad delegate hears clickDidSucceed (before anything opens) or
  // clickDidFail.
  void click();
  bool readyForDisplay() const { return isDisplayable(state_); }

  std::shared_ptr<PennantDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<PennantDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<PennantAdDelegate> adDelegate() const { return adDelegate_.lock(); }
  void setAdDelegate(std::weak_ptr<PennantAdDelegate> adDelegate) { adDelegate_ = std::move(adDelegate); }

  State state() const { return state_; }
  int format() const { return format_; }
  // The downloads the ad waits for; null after the ad has failed.
  const std::set<std::shared_ptr<PennantURLDownload>>* activeDownloads() const {
    return activeDownloads_ ? &*activeDownloads_ : nullptr;
  }

  // The loaded ad.
  Medium medium() const { return medium_; }
  const std::optional<std::string>& text() const { return text_; }
  const std::optional<std::string>& action() const { return action_; }
  const std::optional<std::string>& actionImageName() const { return actionImageName_; }
  const std::optional<std::string>& clickUrl() const { return clickUrl_; }
  const std::optional<std::string>& jsonpUrl() const { return jsonpUrl_; }
  const std::optional<std::string>& userString() const { return userString_; }
  const std::optional<std::string>& accountingPixelUrl() const { return accountingPixelUrl_; }
  const std::optional<std::string>& trackingPixelUrl() const { return trackingPixelUrl_; }
  bool accountingPixelLoaded() const { return accountingPixelLoaded_; }
  const std::shared_ptr<platform::graphics::Image>& userImage() const { return userImage_; }
  const std::shared_ptr<platform::graphics::Image>& actionImage() const { return actionImage_; }
  // Asked of the host delegate each time, with the library's defaults.
  platform::graphics::Color backgroundColor() const;
  platform::graphics::Color textColor() const;
  // The platform's grey spinner style when the host asks for one, else the
  // white style.
  int spinnerStyle() const;

  // Fires the accounting and tracking pixels, once per ad (banner ads only
  // carry pixel URLs). The banner calls it each time it draws a banner ad.
  void loadAccountingPixel();

  // "<PennantAd 0x...: 'text', 'action', 'url', image, image, downloads>"
  std::string description() const;

  // The request parameters from the host delegate, the device, the location
  // service and the localizer; nullopt when they cannot be assembled (the
  // host's publisher identifier is null).
  std::optional<Parameters> buildParams() const;
  // "k=v&k=v" with every key and value percent-escaped. Besides the
  // characters that may not stand in a URL, "&", "=", "+" and "#" are escaped
  // too, so that no value can add parameters, replace one, or cut the query
  // short; text outside ASCII is escaped as UTF-8. nullopt when a key or
  // value cannot be escaped (text that is not UTF-8).
  static std::optional<std::string> queryStringFromDictionary(const Parameters& parameters);

  // The dispatcher through which every tracked download reports.
  void downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download);
  void downloadDidFail(const std::shared_ptr<PennantURLDownload>& download);
  void accountingPixelDownloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download);
  void accountingPixelDownloadDidFail(const std::shared_ptr<PennantURLDownload>& download);

 private:
  struct Passkey {};

 public:
  PennantAd(Passkey, int format);

 private:
  // Loading, in the order it happens.
  void loadBrowserIcons();
  void browserIconsDidFinishLoading();
  void requestAdFromServer();
  void addDownloadWithIdentifier(const std::optional<std::string>& url, const std::optional<std::string>& identifier);
  // A new download in activeDownloads, reporting to the dispatcher, not yet
  // started.
  std::shared_ptr<PennantURLDownload> trackedDownloadWithIdentifier(const std::optional<std::string>& identifier);
  void loadAdWithData(const PennantURLDownload::Data& data);
  void requestDidSucceed();
  void requestDidFail();

  // Clicking, in the order it happens.
  bool isClickDownload(const PennantURLDownload& download) const;
  void clickDownloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download);
  void performClickWithData(const PennantURLDownload::Data& data);
  void launchWebClick(const std::shared_ptr<const platform::Url>& destination);
  void launchCanvasClick(const std::shared_ptr<const platform::Url>& destination);
  void clickDidSucceed();
  void clickDidFail();

  void addLocationParameters(PennantDelegate& delegate, Parameters& parameters) const;
  void firePixel(const std::string& url, const char* identifier);
  void finishPixel(const std::shared_ptr<PennantURLDownload>& download);
  void removeTrackedDownload(const std::shared_ptr<PennantURLDownload>& download);

  std::weak_ptr<PennantDelegate> delegate_;
  std::weak_ptr<PennantAdDelegate> adDelegate_;
  State state_ = State::Created;
  std::optional<std::set<std::shared_ptr<PennantURLDownload>>> activeDownloads_;
  int format_;
  Medium medium_ = Medium::Text;
  std::optional<std::string> text_;
  std::optional<std::string> action_;
  std::optional<std::string> actionImageName_;
  std::optional<std::string> clickUrl_;
  std::optional<std::string> jsonpUrl_;
  bool accountingPixelLoaded_ = false;
  std::optional<std::string> accountingPixelUrl_;
  std::optional<std::string> trackingPixelUrl_;
  std::optional<std::string> userString_;
  std::shared_ptr<platform::graphics::Image> userImage_;
  std::shared_ptr<platform::graphics::Image> actionImage_;
  // The pixel downloads in flight, and the ad's own reference to itself
  // that keeps it alive while there are any.
  std::set<std::shared_ptr<PennantURLDownload>> pixelDownloads_;
  // The click downloads among the tracked ones: each answer is carried out
  // when it arrives, whatever the state is by then.
  std::set<const PennantURLDownload*> clickDownloads_;
  std::shared_ptr<PennantAd> selfWhilePixelsLoad_;
};

}  // namespace pennant
