#pragma once
// Shared pieces of the address-book tests (and its benchmark): a temporary folder, files in it,
// and an organization entry filled the way the ad library fills one.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/addressbook/AddressBook.h"
#include "platform/addressbook/AddressKeys.h"
#include "platform/addressbook/Labels.h"
#include "platform/foundation/AppPaths.h"
#include "tests/platform/foundation/FoundationTestFolder.h"

namespace platform::addressbook::testing {

class TestFolder {
 public:
  // The app's home moves into the folder too, so that the index of what
  // was read (kept in the app's caches) never lands in the real home.
  TestFolder() : book_(root_.path() + "/book") { AppPaths::setHome(root_.path() + "/home"); }
  ~TestFolder() { AppPaths::setHome(std::nullopt); }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& path() const { return root_.path(); }
  // The address-book folder inside (not created).
  const std::string& book() const { return book_; }

  void write(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(book_);
    std::ofstream(book_ + "/" + name, std::ios::binary) << bytes;
  }

  std::string read(const std::string& name) const {
    std::ifstream in(book_ + "/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  // Every file of the book folder with its bytes, dot-files included.
  std::map<std::string, std::string> files() const {
    std::map<std::string, std::string> all;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(book_, error)) {
      all[item.path().filename().string()] = read(item.path().filename().string());
    }
    return all;
  }

  std::vector<std::string> vcfNames() const {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files()) {
      if (name.size() > 4 && name.substr(name.size() - 4) == ".vcf") names.push_back(name);
    }
    return names;
  }

 private:
  platform::testing::FoundationTestFolder root_;
  std::string book_;
};

inline MultiValue strings(std::vector<std::pair<std::string, std::string>> labelled) {
  MultiValue values(MultiValueType::MultiString);
  for (auto& [label, value] : labelled) values.addValueAndLabel(value, label);
  return values;
}

// An organization with every property, as the ad library writes a contact.
inline std::shared_ptr<Record> organization(const std::string& name, const std::string& picture = "") {
  auto record = Record::personCreate();
  record->setValue(Property::Kind, PropertyValue(PersonKind::Organization));
  record->setValue(Property::Organization, PropertyValue(name));
  record->setValue(Property::Phone, PropertyValue(strings({{std::string(kWorkLabel), "+1 555 555 0188"},
                                                           {std::string(kMobileLabel), "+1 555 555 0199"},
                                                           {"Night line", "+1 555 555 0100"}})));
  record->setValue(Property::Email, PropertyValue(strings({{std::string(kWorkLabel), "hello@bakery.example"}})));
  MultiValue addresses(MultiValueType::MultiDictionary);
  addresses.addValueAndLabel(MultiValue::Dictionary{{std::string(kAddressStreetKey), "12 Mill Lane"},
                                                    {std::string(kAddressCityKey), "Springfield"},
                                                    {std::string(kAddressStateKey), "OR"},
                                                    {std::string(kAddressZIPKey), "97477"},
                                                    {std::string(kAddressCountryKey), "United States"},
                                                    {std::string(kAddressCountryCodeKey), "us"}},
                             std::string(kWorkLabel));
  addresses.addValueAndLabel(MultiValue::Dictionary{{std::string(kAddressStreetKey), "3 Harbour Road"},
                                                    {std::string(kAddressCityKey), "Portland"}},
                             "Warehouse");
  record->setValue(Property::Address, PropertyValue(addresses));
  record->setValue(Property::URL, PropertyValue(strings({{std::string(kHomePageLabel), "http://bakery.example/"}})));
  record->setValue(Property::Note, PropertyValue(std::string("Open every day from 6 am.")));
  if (!picture.empty()) record->setImageData(picture);
  return record;
}

// A real picture: the app's own button image (64 KB of PNG).
inline std::string picture() {
  const char* source = std::getenv("PENNANT_SOURCE_DIR");
  const std::filesystem::path root =
      source ? std::filesystem::path(source) : std::filesystem::path(__FILE__).parent_path() / "../../..";
  std::ifstream in(root / "assets/VorlaButton.png", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline std::string organizationName(const Record& record) {
  const auto value = record.copyValue(Property::Organization);
  return value.string() ? *value.string() : "";
}

}  // namespace platform::addressbook::testing
