#include "Classes/OutsideLinks.h"

#include <algorithm>
#include <cctype>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/StringsFileParser.h"

namespace vorla {

namespace {

bool isPlainHost(const std::string& host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == ':';
  });
}

}  // namespace

OutsideLinks OutsideLinks::fromMainBundle() {
  auto path = platform::Bundle::mainBundle().pathForResourceOfType(kResourceName, kResourceType);
  if (!path) return {};
  auto text = platform::FileManager::contentsAtPath(*path);
  return text ? fromStringsText(*text) : OutsideLinks{};
}

OutsideLinks OutsideLinks::fromStringsText(std::string_view text) {
  OutsideLinks links;
  auto parsed = platform::StringsFileParser::parse(text);
  if (!parsed) return links;
  auto read = [&](const char* key) {
    const auto* value = parsed->objectForKey(key);
    return value && value->asString() ? *value->asString() : std::string();
  };
  links.profile_ = read("ProfileURL");
  links.donationHost_ = read("DonationHost");
  links.donationBusiness_ = read("DonationBusiness");
  return links;
}

std::optional<std::string> OutsideLinks::profileURL() const {
  if (profile_.empty()) return std::nullopt;
  return profile_;
}

std::optional<std::string> OutsideLinks::donationURL() const {
  if (!isPlainHost(donationHost_)) return std::nullopt;
  // The account must not be able to add query keys of its own.
  auto business = platform::PercentEscapes::addingPercentEscapes(
      donationBusiness_, platform::StringEncoding::UTF8, "!#$&'()*+,/:;=?@[]");
  if (!business) return std::nullopt;
  return "https://" + donationHost_ + "/cgi-bin/webscr?cmd=_donations&business=" + *business +
         "&lc=US&item_name=Vorla%20Button&currency_code=USD"
         "&bn=PP%2dDonationsBF%3abtn_donateCC_LG%2egif%3aNonHosted";
}

}  // namespace vorla
