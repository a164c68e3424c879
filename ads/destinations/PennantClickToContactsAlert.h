#pragma once
// "Add Sunrise Bakery to your Address Book?" with Cancel and Add: the
// confirmation an ad's contact click shows. On Add the contact is written at
// once (its picture follows, fetched by the contact itself), then the
// acquisition is recorded with the ad server when the click answer named a
// URL for it.
//
//   if (auto alert = PennantClickToContactsAlert::initWithContactAcquisitionURL(object, acquisition))
//     alert->show();   // nobody keeps it
//
// Ownership: the alert owns itself from its creation until it is answered,
// and for as long as its acquisition download runs; it owns its contact
// (a contact still fetching its picture outlives it on its own).

#include <memory>
#include <optional>
#include <string>

#include "ads/PennantURLDownload.h"
#include "ads/destinations/PennantContact.h"
#include "json/Value.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/AlertViewDelegate.h"

namespace pennant {

class PennantClickToContactsAlert : public platform::ui::AlertView, public platform::ui::AlertViewDelegate {
  struct Passkey {};

 public:
  // Null (with a log line) when there is no contact object, or the contact
  // has no organization name. A contact that is not an object counts as
  // none.
  static std::shared_ptr<PennantClickToContactsAlert> initWithContactAcquisitionURL(
      const json::Value* contact, std::optional<std::string> acquisitionURL);

  explicit PennantClickToContactsAlert(Passkey) {}

  void alertViewClickedButtonAtIndex(platform::ui::AlertView& alertView, int buttonIndex) override;
  void downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download);
  void downloadDidFail(const std::shared_ptr<PennantURLDownload>& download);

  const std::shared_ptr<PennantContact>& contact() const { return contact_; }
  const std::optional<std::string>& acquisitionEventURL() const { return acquisitionEventURL_; }

 private:
  std::shared_ptr<PennantClickToContactsAlert> self() {
    return std::static_pointer_cast<PennantClickToContactsAlert>(shared_from_this());
  }
  void end();

  std::shared_ptr<PennantContact> contact_;
  std::optional<std::string> acquisitionEventURL_;
  std::shared_ptr<PennantURLDownload> acquisitionDownload_;
  std::shared_ptr<PennantClickToContactsAlert> selfUntilAnswered_;
};

}  // namespace pennant
