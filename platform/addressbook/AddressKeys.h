#pragma once
// The keys of a postal address, the dictionary stored under each label of
// Property::Address. Other keys are not stored: an address entry has room
// for exactly these fields.

#include <string_view>

namespace platform::addressbook {

inline constexpr std::string_view kAddressStreetKey = "Street";
inline constexpr std::string_view kAddressCityKey = "City";
inline constexpr std::string_view kAddressStateKey = "State";
inline constexpr std::string_view kAddressZIPKey = "ZIP";
inline constexpr std::string_view kAddressCountryKey = "Country";
inline constexpr std::string_view kAddressCountryCodeKey = "CountryCode";

}  // namespace platform::addressbook
