// The click half of PennantAd: the click download, reading its answer, and
// carrying out the ad's action.

#include "ads/PennantAd.h"
#include "ads/PennantClickAnswer.h"
#include "ads/PennantDelegateDefaults.h"
#include "ads/destinations/PennantClickToCallAlert.h"
#include "ads/destinations/PennantClickToContactsAlert.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"

namespace pennant {

void PennantAd::click() {
  state_ = State::Clicking;
  // Nothing else is checked: a click while another is in flight starts a
  // second download, and each answer is carried out when it arrives.
  auto download = trackedDownloadWithIdentifier(std::nullopt);
  clickDownloads_.insert(download.get());
  download->loadContentsOfURLAtString(jsonpUrl_);
}

bool PennantAd::isClickDownload(const PennantURLDownload& download) const {
  return clickDownloads_.count(&download) != 0;
}

void PennantAd::clickDownloadDidSucceed(const std::shared_ptr<PennantURLDownload>& finished) {
  auto protector = shared_from_this();
  auto download = finished;
  removeTrackedDownload(download);
  clickDownloads_.erase(download.get());
  auto data = download->data();  // read before cancel drops it
  performClickWithData(data);
  download->cancel();
}

void PennantAd::performClickWithData(const PennantURLDownload::Data& data) {
  const PennantClickAnswer answer = PennantClickAnswer::answerWithData(data);
  if (answer.failed) {
    clickDidFail();
    return;
  }
  // The controller stops the spinner before anything opens.
  clickDidSucceed();

  const std::string action = action_.value_or("");
  if (action == "url") {
    launchWebClick(answer.destination);
  } else if (action == "canvas") {
    launchCanvasClick(answer.destination);
  } else if (action == "call") {
    if (auto alert = PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(answer.destination,
                                                                                answer.acquisitionURL)) {
      alert->show();
    }
  } else if (action == "contact") {
    if (auto alert = PennantClickToContactsAlert::initWithContactAcquisitionURL(answer.contact,
                                                                                answer.acquisitionURL)) {
      alert->show();
    }
  } else {
    // The system opens what it can; a null destination opens nothing.
    platform::ui::Application::sharedApplication().openURL(answer.destination);
  }
}

void PennantAd::launchWebClick(const std::shared_ptr<const platform::Url>& destination) {
  auto host = delegate_.lock();
  if (!PennantDelegateDefaults::useEmbeddedWebView(host.get())) {
    if (!host || !host->presentWebView(destination)) {
      platform::ui::Application::sharedApplication().openURL(destination);
    }
    return;
  }
  // An ad whose controller has gone has nobody to open anything for.
  auto adDelegate = adDelegate_.lock();
  if (adDelegate && !adDelegate->displayEmbeddedBrowserWithAdUrl(shared_from_this(), destination)) {
    platform::log("Pennant internal error: adDelegate does not respond to displayEmbeddedBrowserWithAd:url:");
  }
}

void PennantAd::launchCanvasClick(const std::shared_ptr<const platform::Url>& destination) {
  auto adDelegate = adDelegate_.lock();
  if (adDelegate && !adDelegate->displayCanvasWithAdUrl(shared_from_this(), destination)) {
    platform::log("Pennant internal error: adDelegate does not respond to displayCanvasWithAd:url:");
  }
}

void PennantAd::clickDidSucceed() {
  state_ = State::Ready;
  auto protector = shared_from_this();
  if (auto adDelegate = adDelegate_.lock()) adDelegate->clickDidSucceed(protector);
}

void PennantAd::clickDidFail() {
  state_ = State::Ready;
  auto protector = shared_from_this();
  if (auto adDelegate = adDelegate_.lock()) adDelegate->clickDidFail(protector);
}

}  // namespace pennant
