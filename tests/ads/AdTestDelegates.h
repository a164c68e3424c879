#pragma once
// A host delegate whose answers a test sets field by field (unset = not
// implemented), and an ad delegate that records what the ad reports.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ads/PennantAd.h"
#include "ads/PennantAdDelegate.h"
#include "ads/PennantDelegate.h"

namespace pennant::testing {

class ScriptedHost : public PennantDelegate {
 public:
  std::optional<std::string> publisherId() override { return publisher; }
  std::optional<bool> useTestAd() override { return testAd; }
  std::optional<std::string> testAdAction() override { return testAction; }
  std::optional<bool> mayAskForLocation() override { return mayAsk; }
  std::optional<std::optional<platform::location::Location>> location() override { return hostLocation; }
  std::optional<std::string> postalCode() override { return postal; }
  std::optional<std::string> areaCode() override { return area; }
  std::optional<platform::Date> dateOfBirth() override { return birth; }
  std::optional<std::string> gender() override { return sex; }
  std::optional<std::string> keywords() override { return words; }
  std::optional<std::string> searchString() override { return search; }
  std::optional<bool> useEmbeddedWebView() override { return embedded; }
  std::optional<bool> useGraySpinner() override { return gray; }
  std::optional<platform::graphics::Color> adBackgroundColor() override { return background; }
  std::optional<std::string> adserverEndpoint() override { return endpoint; }

  std::optional<std::string> publisher = "a15c2be9f174da6";
  std::optional<bool> testAd, mayAsk, embedded, gray;
  std::optional<std::string> testAction, postal, area, sex, words, search, endpoint;
  std::optional<std::optional<platform::location::Location>> hostLocation;
  std::optional<platform::Date> birth;
  std::optional<platform::graphics::Color> background;
};

class RecordingController : public PennantAdDelegate {
 public:
  void adDidLoad(const std::shared_ptr<PennantAd>& ad) override { events.push_back("load"), last = ad; }
  void adDidFailToLoad(const std::shared_ptr<PennantAd>& ad) override { events.push_back("fail"), last = ad; }
  void clickDidSucceed(const std::shared_ptr<PennantAd>&) override { events.push_back("clickSucceed"); }
  void clickDidFail(const std::shared_ptr<PennantAd>&) override { events.push_back("clickFail"); }

  std::vector<std::string> events;
  std::shared_ptr<PennantAd> last;
};

}  // namespace pennant::testing
