// The request half of PennantAd that turns the host's answers, the device and
// the library's services into the ad request's query string.

#include "ads/PennantAd.h"
#include "ads/PennantDelegateDefaults.h"
#include "ads/PennantLocalizer.h"
#include "ads/PennantLocationManager.h"
#include "ads/PennantVersion.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/UnicodeText.h"

namespace pennant {

namespace {

constexpr int kTimestampDecimals = 6;

}  // namespace

std::optional<PennantAd::Parameters> PennantAd::buildParams() const {
  auto delegate = delegate_.lock();
  // A dictionary cannot hold the null of a host without a publisher id.
  std::optional<std::string> publisher = delegate ? delegate->publisherId() : std::nullopt;
  if (!publisher) return std::nullopt;

  Parameters parameters;
  auto add = [&parameters](std::string key, std::optional<std::string> value) {
    if (value) parameters.emplace_back(std::move(key), std::move(*value));
  };
  add("s", publisher);
  add("f", "jsonp");
  add("v", kBuildIdentifier);
  add("ex", "1");
  add("client_sdk", "1");
  add("ad_type", format_ == 0 ? "bar" : "full_screen");
  add("isu", platform::Device::currentDevice().uniqueIdentifier());
  if (PennantDelegateDefaults::useTestAd(delegate.get())) {
    add("m", "test");
    add("test_action", delegate->testAdAction());
  }
  if (PennantDelegateDefaults::mayAskForLocation(delegate.get())) addLocationParameters(*delegate, parameters);
  add("d[pc]", delegate->postalCode());
  add("d[ac]", delegate->areaCode());
  add("d[gender]", delegate->gender());
  if (auto birth = delegate->dateOfBirth()) {
    platform::DateFormatter formatter;
    formatter.setDateFormat("yyyyMMdd");
    add("d[dob]", formatter.stringFromDate(*birth));
  }
  add("l", PennantLocalizer::sharedLocalizer().preferredLanguage());
  add("search", delegate->searchString());
  add("k", delegate->keywords());
  return parameters;
}

void PennantAd::addLocationParameters(PennantDelegate& delegate, Parameters& parameters) const {
  // A host that answers for the location decides alone, even with "none".
  if (auto answer = delegate.location()) {
    if (*answer) parameters.emplace_back("d[coord]", PennantLocationManager::stringForLocation(**answer));
    return;
  }
  // Otherwise the library's own last known position, if it has a fresh
  // enough one; a refresh started here serves the requests that follow.
  auto& manager = PennantLocationManager::sharedManager();
  if (!manager.locationServicesEnabled()) return;
  manager.updateIfAppropriate();
  auto text = manager.locationString();
  auto updated = manager.lastUpdated();
  if (!text || !updated) return;
  parameters.emplace_back("d[coord]", *text);
  // Seconds since 1970 with six decimals, as %f writes them in the C locale.
  parameters.emplace_back("d[coord_timestamp]", platform::NumberText::fixed(updated->timeIntervalSince1970(), kTimestampDecimals));
}

std::optional<std::string> PennantAd::queryStringFromDictionary(const Parameters& parameters) {
  // Escaping these marks too keeps every key and value inside its own pair.
  constexpr std::string_view kQueryMarks = "&=+#";
  std::string query;
  for (const auto& [key, value] : parameters) {
    if (!platform::UnicodeText::isValidUTF8(key) || !platform::UnicodeText::isValidUTF8(value)) return std::nullopt;
    auto escapedKey = platform::PercentEscapes::addingPercentEscapes(key, platform::StringEncoding::UTF8, kQueryMarks);
    auto escapedValue =
        platform::PercentEscapes::addingPercentEscapes(value, platform::StringEncoding::UTF8, kQueryMarks);
    if (!escapedKey || !escapedValue) return std::nullopt;
    query += (query.empty() ? "" : "&") + *escapedKey + "=" + *escapedValue;
  }
  return query;
}

}  // namespace pennant
