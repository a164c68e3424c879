#pragma once
// The two outside pages of the info screen: the author's profile on a
// social network and a donation form of a payment service. Their addresses
// are configuration of the app's bundle ("links.strings"), so they can
// change without a rebuild; only the donation form's path and query are
// fixed here.

#include <optional>
#include <string>
#include <string_view>

namespace vorla {

class OutsideLinks {
 public:
  static constexpr const char* kResourceName = "links";
  static constexpr const char* kResourceType = "strings";

  // The bundle's links.strings; an unreadable file gives no addresses.
  static OutsideLinks fromMainBundle();
  // The text of a links.strings file.
  static OutsideLinks fromStringsText(std::string_view text);

  // The profile address as configured, or nullopt when it is not set.
  std::optional<std::string> profileURL() const;
  // https://HOST/cgi-bin/webscr?cmd=_donations&business=...&lc=US&
  // item_name=Vorla%20Button&currency_code=USD&bn=..., or nullopt when the
  // host is not set or is not a plain host name (a value with a path, a
  // query or a user part would send the donation somewhere else).
  std::optional<std::string> donationURL() const;

 private:
  std::string profile_;
  std::string donationHost_;
  std::string donationBusiness_;
};

}  // namespace vorla
