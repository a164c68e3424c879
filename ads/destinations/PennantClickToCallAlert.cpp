#include "ads/destinations/PennantClickToCallAlert.h"

#include "ads/PennantLocalizer.h"
#include "ads/destinations/PennantAlertText.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"

namespace pennant {

namespace {

void removeEvery(std::string& text, std::string_view part) {
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
}

}  // namespace

std::string PennantClickToCallAlert::displayedNumber(const platform::Url& phoneNumberURL) {
  std::string number = phoneNumberURL.absoluteString();
  removeEvery(number, "tel:");
  removeEvery(number, "//");
  return number;
}

std::shared_ptr<PennantClickToCallAlert> PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(
    std::shared_ptr<const platform::Url> phoneNumberURL, std::optional<std::string> acquisitionURL) {
  if (!phoneNumberURL) {
    platform::log("No phone number in click response.");
    return nullptr;
  }
  const std::string number = displayedNumber(*phoneNumberURL);
  if (number.empty()) {
    platform::log("Empty phone number in click response.");
    return nullptr;
  }
  auto& localizer = PennantLocalizer::sharedLocalizer();
  auto alert = std::make_shared<PennantClickToCallAlert>(Passkey{});
  alert->phoneNumberURL_ = std::move(phoneNumberURL);
  alert->acquisitionEventURL_ = std::move(acquisitionURL);
  alert->initWithTitleMessageDelegateCancelButtonTitleOtherButtonTitles(
      PennantAlertText::titleWithFormatKey("Call %@?", number), std::nullopt, alert,
      localizer.localizedStringForKey("Cancel"), {localizer.localizedStringForKey("Call")});
  alert->selfUntilAnswered_ = alert;
  return alert;
}

void PennantClickToCallAlert::alertViewClickedButtonAtIndex(platform::ui::AlertView& /*alertView*/,
                                                            int buttonIndex) {
  auto protector = self();
  if (buttonIndex == cancelButtonIndex()) {
    selfUntilAnswered_.reset();
    return;
  }
  if (!acquisitionEventURL_) {
    dialAndEnd();
    return;
  }
  // The alert stays alive (selfUntilAnswered_) until the download reports.
  auto download = PennantURLDownload::create();
  download->setSuccessSelector(PennantURLDownload::selector(protector, &PennantClickToCallAlert::downloadDidSucceed));
  download->setFailureSelector(PennantURLDownload::selector(protector, &PennantClickToCallAlert::downloadDidFail));
  download->setDelegate(protector);
  acquisitionDownload_ = download;
  download->loadContentsOfURLAtString(acquisitionEventURL_);
}

void PennantClickToCallAlert::downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& /*download*/) {
  dialAndEnd();
}

void PennantClickToCallAlert::downloadDidFail(const std::shared_ptr<PennantURLDownload>& /*download*/) {
  platform::log("Failed to record click-to-call acquisition.");
  dialAndEnd();
}

void PennantClickToCallAlert::dialAndEnd() {
  auto protector = self();
  // The alert ends before the number is handed over, so that nothing can
  // make it dial twice.
  if (!selfUntilAnswered_) return;
  selfUntilAnswered_.reset();
  if (auto download = std::move(acquisitionDownload_)) download->cancel();
  platform::ui::Application::sharedApplication().openURL(phoneNumberURL_);
}

}  // namespace pennant
