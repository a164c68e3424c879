#pragma once
// "Call 555-0100?" with Cancel and Call: the confirmation an ad's call click
// shows. On Call it first records the acquisition with the ad server (when
// the click answer named a URL for it) and only then dials, by handing the
// phone URL to the system, exactly once, whether the recording worked or
// not; a dial takes the user out of the app, so the request goes first.
//
//   if (auto alert = PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(url, acquisition))
//     alert->show();   // nobody keeps it
//
// Ownership: the alert owns itself from its creation until it ends (Cancel,
// the dial); the platform also holds it while it is on screen. It owns its
// acquisition download, which reports to it through a weak link.

#include <memory>
#include <optional>
#include <string>

#include "ads/PennantURLDownload.h"
#include "platform/foundation/Url.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/AlertViewDelegate.h"

namespace pennant {

class PennantClickToCallAlert : public platform::ui::AlertView, public platform::ui::AlertViewDelegate {
  struct Passkey {};

 public:
  // Null (with a log line) when there is no phone URL or it names no
  // number once "tel:" and "//" are taken out.
  static std::shared_ptr<PennantClickToCallAlert> initWithPhoneNumberAcquisitionURL(
      std::shared_ptr<const platform::Url> phoneNumberURL, std::optional<std::string> acquisitionURL);

  explicit PennantClickToCallAlert(Passkey) {}

  // The number the title shows: the URL's text without "tel:" and "//".
  static std::string displayedNumber(const platform::Url& phoneNumberURL);

  void alertViewClickedButtonAtIndex(platform::ui::AlertView& alertView, int buttonIndex) override;
  void downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download);
  void downloadDidFail(const std::shared_ptr<PennantURLDownload>& download);

  const std::shared_ptr<const platform::Url>& phoneNumberURL() const { return phoneNumberURL_; }
  const std::optional<std::string>& acquisitionEventURL() const { return acquisitionEventURL_; }

 private:
  std::shared_ptr<PennantClickToCallAlert> self() {
    return std::static_pointer_cast<PennantClickToCallAlert>(shared_from_this());
  }
  void dialAndEnd();

  std::shared_ptr<const platform::Url> phoneNumberURL_;
  std::optional<std::string> acquisitionEventURL_;
  std::shared_ptr<PennantURLDownload> acquisitionDownload_;
  std::shared_ptr<PennantClickToCallAlert> selfUntilAnswered_;
};

}  // namespace pennant
