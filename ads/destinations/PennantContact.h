#pragma once
// A business card from a click answer, written to the user's address book as
// an organization entry and completed with a picture downloaded afterwards.
// Writing goes by organization name: every organization entry of the same
// name is removed first, so adding a business again replaces it.
//
//   auto contact = PennantContact::initWithDictionary(answer->dictionaryForKey("contact"));
//   contact->addToAddressBook();   // writes now; fetches the picture, then writes again
//
// Values from the server that are not of the expected type are not taken:
// text fields take strings (and whole numbers, as their digits); the four
// labelled lists take objects, and skip members that are not usable text
// (or, for addresses, not objects). The address book keeps only its own
// address field keys.
//
// Ownership: whoever made the contact owns it (the click-to-contacts alert).
// While its picture downloads, the contact also holds itself, so it
// outlives its alert; the download ends (success, failure or its time-out)
// and the contact lets itself go. The picture download is owned by the
// contact and reports to it through a weak link.

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ads/PennantURLDownload.h"
#include "json/Value.h"
#include "platform/addressbook/AddressBook.h"
#include "platform/addressbook/Record.h"
#include "platform/graphics/Image.h"

namespace pennant {

class PennantContact : public std::enable_shared_from_this<PennantContact> {
  struct Passkey {};

 public:
  // label -> value; the address book shows predefined labels as such and
  // keeps any other text as a custom label.
  using LabelledValues = std::map<std::string, std::string>;
  // label -> address fields (Street, City, State, ZIP, Country, CountryCode)
  using LabelledAddresses = std::map<std::string, std::map<std::string, std::string>>;

  // The largest picture an entry takes: an address-book picture is a small
  // square, and the whole picture is stored in the entry's file.
  static constexpr std::size_t kMaximumPictureLength = 1024 * 1024;
  // The most pixels each way such a picture may have (the platform's own
  // bound: any size a reader can show); checked from its header before it
  // is decoded to see that it is whole.
  static constexpr platform::graphics::Image::Limit kPictureLimit{4096, 4096};

  // Never fails; a null or non-object dictionary gives an empty contact.
  static std::shared_ptr<PennantContact> initWithDictionary(const json::Value* dictionary);
  // Null when the user's book has no organization entry of that name.
  static std::shared_ptr<PennantContact> initWithAddressBookEntryForOrganization(const std::string& organization);

  explicit PennantContact(Passkey) {}

  // Writes the entry, then fetches its picture (if it has a picture URL) and
  // writes it again with the picture.
  void addToAddressBook();
  // Writes the entry once, replacing organization entries of the same name.
  void saveToAddressBook();
  // Removes every organization entry named `organization` from `book` and
  // saves the book; whether a removal was made.
  static bool deleteContactInAddressBook(const std::string& organization, platform::addressbook::AddressBook& book);
  // The same without saving: true when an entry was taken out of `book`.
  static bool removeRecordsOfOrganization(const std::string& organization, platform::addressbook::AddressBook& book);
  bool removeFromAddressBook();

  void downloadContactImageAndAddToAddressBook();
  void contactImageDownloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download);
  void contactImageDownloadDidFail(const std::shared_ptr<PennantURLDownload>& download);

  // The organization entry this contact is written as (no book yet).
  std::shared_ptr<platform::addressbook::Record> newRecord() const;

  const std::optional<std::string>& organization() const { return organization_; }
  void setOrganization(std::optional<std::string> value) { organization_ = std::move(value); }
  const std::optional<LabelledValues>& phoneNumbers() const { return phoneNumbers_; }
  void setPhoneNumbers(std::optional<LabelledValues> value) { phoneNumbers_ = std::move(value); }
  const std::optional<LabelledValues>& emailAddresses() const { return emailAddresses_; }
  void setEmailAddresses(std::optional<LabelledValues> value) { emailAddresses_ = std::move(value); }
  const std::optional<LabelledAddresses>& addresses() const { return addresses_; }
  void setAddresses(std::optional<LabelledAddresses> value) { addresses_ = std::move(value); }
  const std::optional<LabelledValues>& links() const { return links_; }
  void setLinks(std::optional<LabelledValues> value) { links_ = std::move(value); }
  const std::optional<std::string>& note() const { return note_; }
  void setNote(std::optional<std::string> value) { note_ = std::move(value); }
  const std::optional<std::string>& imageLocation() const { return imageLocation_; }
  void setImageLocation(std::optional<std::string> value) { imageLocation_ = std::move(value); }
  const std::optional<std::string>& image() const { return image_; }
  void setImage(std::optional<std::string> value) { image_ = std::move(value); }

  // Overrides the picture download's time-out (tests use a short one).
  void setPictureTimeoutInterval(double seconds) { pictureTimeoutInterval_ = seconds; }
  bool isDownloadingPicture() const { return pictureDownload_ != nullptr; }

 private:
  void finishPictureDownload();

  std::optional<std::string> organization_;
  std::optional<LabelledValues> phoneNumbers_;
  std::optional<LabelledValues> emailAddresses_;
  std::optional<LabelledAddresses> addresses_;
  std::optional<LabelledValues> links_;
  std::optional<std::string> note_;
  std::optional<std::string> imageLocation_;
  std::optional<std::string> image_;

  std::shared_ptr<PennantURLDownload> pictureDownload_;
  std::shared_ptr<PennantContact> selfWhilePictureLoads_;
  double pictureTimeoutInterval_ = PennantURLDownload::defaultTimeoutInterval();
};

}  // namespace pennant
