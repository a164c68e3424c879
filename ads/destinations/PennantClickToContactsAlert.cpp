#include "ads/destinations/PennantClickToContactsAlert.h"

#include "ads/PennantLocalizer.h"
#include "ads/destinations/PennantAlertText.h"
#include "platform/foundation/Log.h"

namespace pennant {

std::shared_ptr<PennantClickToContactsAlert> PennantClickToContactsAlert::initWithContactAcquisitionURL(
    const json::Value* contact, std::optional<std::string> acquisitionURL) {
  if (!contact || !contact->isDictionary()) {
    platform::log("No contact information in click response.");
    return nullptr;
  }
  auto alert = std::make_shared<PennantClickToContactsAlert>(Passkey{});
  alert->contact_ = PennantContact::initWithDictionary(contact);
  alert->acquisitionEventURL_ = std::move(acquisitionURL);
  if (!alert->contact_->organization()) {
    platform::log("No organization name in the contact information in click response.");
    return nullptr;
  }
  auto& localizer = PennantLocalizer::sharedLocalizer();
  alert->initWithTitleMessageDelegateCancelButtonTitleOtherButtonTitles(
      PennantAlertText::titleWithFormatKey("Add %@ to your Address Book?", *alert->contact_->organization()),
      std::nullopt, alert, localizer.localizedStringForKey("Cancel"), {localizer.localizedStringForKey("Add")});
  alert->selfUntilAnswered_ = alert;
  return alert;
}

void PennantClickToContactsAlert::alertViewClickedButtonAtIndex(platform::ui::AlertView& /*alertView*/,
                                                                int buttonIndex) {
  auto protector = self();
  if (buttonIndex != cancelButtonIndex()) {
    // The entry is written now; the acquisition is recorded after it.
    contact_->addToAddressBook();
    if (acquisitionEventURL_) {
      auto download = PennantURLDownload::create();
      download->setSuccessSelector(
          PennantURLDownload::selector(protector, &PennantClickToContactsAlert::downloadDidSucceed));
      download->setFailureSelector(
          PennantURLDownload::selector(protector, &PennantClickToContactsAlert::downloadDidFail));
      download->setDelegate(protector);
      acquisitionDownload_ = download;
      download->loadContentsOfURLAtString(acquisitionEventURL_);
      // A download that failed at once has already ended the alert.
      return;
    }
  }
  end();
}

void PennantClickToContactsAlert::downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& /*download*/) {
  end();
}

void PennantClickToContactsAlert::downloadDidFail(const std::shared_ptr<PennantURLDownload>& /*download*/) {
  platform::log("Failed to record click-to-contacts acquisition.");
  end();
}

void PennantClickToContactsAlert::end() {
  auto protector = self();
  if (auto download = std::move(acquisitionDownload_)) download->cancel();
  selfUntilAnswered_.reset();
}

}  // namespace pennant
