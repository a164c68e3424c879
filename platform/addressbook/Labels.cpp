#include "platform/addressbook/Labels.h"

#include "platform/addressbook/VCardText.h"

#include <algorithm>
#include <array>

namespace platform::addressbook {

namespace {

struct StoredLabel {
  std::string_view label;
  std::vector<std::string_view> types;
};

const std::vector<StoredLabel>& storedLabels() {
  static const std::vector<StoredLabel> table = {
      {kWorkLabel, {"work"}},       {kHomeLabel, {"home"}},          {kOtherLabel, {"other"}},
      {kMobileLabel, {"cell"}},     {kMainLabel, {"main"}},          {kHomeFaxLabel, {"home", "fax"}},
      {kWorkFaxLabel, {"work", "fax"}}, {kPagerLabel, {"pager"}},   {kHomePageLabel, {"homepage"}},
  };
  return table;
}

// Types that say nothing about which of several values this is.
bool isNeutralType(const std::string& lowered) {
  static constexpr std::array<std::string_view, 3> neutral = {"pref", "voice", "internet"};
  return std::find(neutral.begin(), neutral.end(), lowered) != neutral.end();
}

}  // namespace

std::optional<std::vector<std::string_view>> Labels::typesForLabel(std::string_view label) {
  for (const auto& stored : storedLabels()) {
    if (stored.label == label) return stored.types;
  }
  return std::nullopt;
}

std::string Labels::labelForTypes(const std::vector<std::string>& types) {
  std::vector<std::string> meaningful;
  std::vector<std::string> original;
  for (const auto& type : types) {
    std::string lowered = VCardText::asciiLowercase(type);
    if (lowered.empty() || isNeutralType(lowered)) continue;
    if (std::find(meaningful.begin(), meaningful.end(), lowered) != meaningful.end()) continue;
    meaningful.push_back(lowered);
    original.push_back(type);
  }
  std::vector<std::string> sorted = meaningful;
  std::sort(sorted.begin(), sorted.end());
  for (const auto& stored : storedLabels()) {
    std::vector<std::string> wanted(stored.types.begin(), stored.types.end());
    std::sort(wanted.begin(), wanted.end());
    if (wanted == sorted) return std::string(stored.label);
  }
  std::string joined;
  for (const auto& type : original) {
    if (!joined.empty()) joined += ",";
    joined += type;
  }
  return joined;
}

}  // namespace platform::addressbook
