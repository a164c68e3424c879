#pragma once
// The address book's predefined labels and how they are stored.
//
// A label is any text. The predefined ones below are stored as the standard
// vCard TYPE values every reader shows (work, home, cell, fax, pager...);
// any other text is stored as a custom label beside its value, so that it
// reads back exactly and readers still show it. An empty label means "no
// label".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::addressbook {

inline constexpr std::string_view kWorkLabel = "work";
inline constexpr std::string_view kHomeLabel = "home";
inline constexpr std::string_view kOtherLabel = "other";
inline constexpr std::string_view kMobileLabel = "mobile";
inline constexpr std::string_view kMainLabel = "main";
inline constexpr std::string_view kHomeFaxLabel = "home fax";
inline constexpr std::string_view kWorkFaxLabel = "work fax";
inline constexpr std::string_view kPagerLabel = "pager";
inline constexpr std::string_view kHomePageLabel = "homepage";

class Labels {
 public:
  // The TYPE values that stand for a predefined label, or nullopt for a
  // custom (or empty) label.
  static std::optional<std::vector<std::string_view>> typesForLabel(std::string_view label);

  // The label a set of TYPE values read from a file stands for. Case and
  // order do not matter; "pref" and the defaults older writers add ("voice"
  // on a phone, "internet" on an e-mail) are ignored. A set that is no
  // predefined label reads as its values joined by commas; none at all
  // reads as the empty label.
  static std::string labelForTypes(const std::vector<std::string>& types);
};

}  // namespace platform::addressbook
