// The address book on a real folder: what is saved reads back (from the
// files, not from memory), organizations are replaced by name the way the
// ad library does it, other programs' files are left byte for byte, and
// failures are reported.

#include "platform/addressbook/AddressBook.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "AddressBookTestSupport.h"
#include "tests/support/ScopedAppIdentity.h"
#include "platform/foundation/AppPaths.h"

namespace platform::addressbook {
namespace {

using testing::organization;
using testing::organizationName;
using testing::picture;
using testing::TestFolder;

std::shared_ptr<AddressBook> reopen(const std::string& folder) {
  // From the files alone: nothing this process remembers may help.
  AddressBook::discardCachedEntries();
  return AddressBook::createAtPath(folder);
}


// What the ad library does before it writes a business: remove every
// organization entry of that exact name.
int removeOrganizations(AddressBook& book, const std::string& name) {
  int removed = 0;
  for (const auto& record : book.copyArrayOfAllPeople()) {
    if (record->recordType() != RecordType::Person) continue;
    const auto kind = record->copyValue(Property::Kind);
    if (!kind.kind() || *kind.kind() != PersonKind::Organization) continue;
    if (organizationName(*record) == name && book.removeRecord(record)) ++removed;
  }
  return removed;
}

void expectSameEntry(const Record& read, const Record& written) {
  for (auto property : {Property::Kind, Property::Organization, Property::Phone, Property::Email, Property::Address,
                        Property::URL, Property::Note}) {
    EXPECT_EQ(read.copyValue(property), written.copyValue(property)) << static_cast<int>(property);
  }
  EXPECT_EQ(read.copyImageData(), written.copyImageData());
}

struct stat statOf(const std::string& path) {
  struct stat info{};
  ::stat(path.c_str(), &info);
  return info;
}

TEST(AddressBook, SavedEntriesReadBackFromTheirFiles) {
  TestFolder folder;
  auto book = AddressBook::createAtPath(folder.book());
  EXPECT_TRUE(book->copyArrayOfAllPeople().empty());
  EXPECT_TRUE(book->save());
  EXPECT_FALSE(std::filesystem::exists(folder.book())) << "nothing to write creates nothing";

  const auto small = organization("Sunrise Bakery");
  ASSERT_GT(picture().size(), 10000u);
  const auto withPicture = organization("Harbour Fish", picture());
  ASSERT_TRUE(book->addRecord(small));
  ASSERT_TRUE(book->addRecord(withPicture));
  EXPECT_FALSE(book->addRecord(small)) << "a record is in one book once";
  EXPECT_TRUE(book->hasUnsavedChanges());
  ASSERT_TRUE(book->save());
  EXPECT_FALSE(book->hasUnsavedChanges());
  ASSERT_EQ(folder.vcfNames().size(), 2u);
  EXPECT_EQ(statOf(folder.book() + "/" + folder.vcfNames()[0]).st_mode & 0777, 0600u);

  // Twice: once read from the files, once more from this process's memory
  // of them, which must not change the answer.
  for (int pass = 0; pass < 2; ++pass) {
    auto again = pass == 0 ? reopen(folder.book()) : AddressBook::createAtPath(folder.book());
    auto people = again->copyArrayOfAllPeople();
    ASSERT_EQ(people.size(), 2u);
    if (organizationName(*people[0]) != "Sunrise Bakery") std::swap(people[0], people[1]);
    expectSameEntry(*people[0], *small);
    expectSameEntry(*people[1], *withPicture);
    EXPECT_FALSE(people[0]->isReadOnly());
  }

  // Changing an entry of ours rewrites its own file and nothing else.
  auto again = reopen(folder.book());
  auto people = again->copyArrayOfAllPeople();
  const auto names = folder.vcfNames();
  ASSERT_TRUE(people[0]->setValue(Property::Note, PropertyValue(std::string("Closed on Mondays"))));
  ASSERT_TRUE(again->save());
  EXPECT_EQ(folder.vcfNames(), names);
  bool found = false;
  for (const auto& record : reopen(folder.book())->copyArrayOfAllPeople()) {
    found |= record->copyValue(Property::Note) == PropertyValue(std::string("Closed on Mondays"));
  }
  EXPECT_TRUE(found);
}

TEST(AddressBook, ValuesOfTheWrongShapeAreRefused) {
  auto record = Record::personCreate();
  EXPECT_FALSE(record->setValue(Property::Phone, PropertyValue(std::string("+1 555"))));
  EXPECT_FALSE(record->setValue(Property::Address, PropertyValue(testing::strings({{"work", "street"}}))));
  EXPECT_FALSE(record->setValue(Property::Organization, PropertyValue(PersonKind::Organization)));
  EXPECT_FALSE(record->setValue(Property::Note, PropertyValue()));
  MultiValue phones(MultiValueType::MultiString);
  EXPECT_FALSE(phones.addValueAndLabel(MultiValue::Dictionary{{"Street", "x"}}, "work"));
  EXPECT_EQ(phones.getCount(), 0u);
  EXPECT_EQ(record->copyValue(Property::Phone), PropertyValue());
  EXPECT_EQ(record->copyValue(Property::Kind), PropertyValue(PersonKind::Person));
  EXPECT_FALSE(phones.copyLabelAtIndex(0));
}

TEST(AddressBook, AddingABusinessAgainReplacesEveryOrganizationOfThatName) {
  TestFolder folder;
  auto book = AddressBook::createAtPath(folder.book());
  ASSERT_TRUE(book->addRecord(organization("Sunrise Bakery")));
  ASSERT_TRUE(book->addRecord(organization("Sunrise Bakery")));
  ASSERT_TRUE(book->addRecord(organization("sunrise bakery")));
  ASSERT_TRUE(book->save());
  // Someone who works there, filed as a person, is not the business.
  folder.write("person.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jo Baker\r\nORG:Sunrise Bakery\r\nEND:VCARD\r\n");

  auto again = reopen(folder.book());
  EXPECT_EQ(removeOrganizations(*again, "Sunrise Bakery"), 2);
  ASSERT_TRUE(again->addRecord(organization("Sunrise Bakery")));
  ASSERT_TRUE(again->save());

  std::map<std::string, int> names;
  for (const auto& record : reopen(folder.book())->copyArrayOfAllPeople()) names[organizationName(*record)]++;
  EXPECT_EQ(names, (std::map<std::string, int>{{"Sunrise Bakery", 2}, {"sunrise bakery", 1}}));
  EXPECT_EQ(folder.vcfNames().size(), 3u);
  EXPECT_TRUE(std::filesystem::exists(folder.book() + "/person.vcf"));
}

TEST(AddressBook, OtherProgramsFilesAreLeftAlone) {
  TestFolder folder;
  const std::map<std::string, std::string> foreign = {
      {"person.vcf", "BEGIN:VCARD\nVERSION:3.0\nN:Baker;Jo;;;\nFN:Jo Baker\nORG:Sunrise Bakery\nEND:VCARD\n"},
      {"other-org.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:org\r\nFN:Mill\r\nORG:Mill\r\nEND:VCARD\r\n"},
      {"two.vcf",
       "BEGIN:VCARD\r\nKIND:org\r\nORG:Sunrise Bakery\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Other\r\nEND:VCARD\r\n"},
      {"cut.vcf", "BEGIN:VCARD\r\nKIND:org\r\nORG:Sunrise Bakery\r\n"},
      {"latin1.vcf", "BEGIN:VCARD\r\nKIND:org\r\nORG:Caf\xe9\r\nEND:VCARD\r\n"},
      {"empty.vcf", ""},
      {"notes.txt", "BEGIN:VCARD\r\nKIND:org\r\nORG:Sunrise Bakery\r\nEND:VCARD\r\n"},
      {".vorla-ab-note.tmp", "not one of ours: the name does not fit"},
  };
  for (const auto& [name, bytes] : foreign) folder.write(name, bytes);
  std::filesystem::create_directories(folder.book() + "/folder.vcf");
  std::filesystem::create_symlink(folder.book() + "/missing", folder.book() + "/dangling.vcf");
  const auto before = statOf(folder.book() + "/person.vcf");

  auto book = reopen(folder.book());
  auto people = book->copyArrayOfAllPeople();
  std::multiset<std::string> listed;
  for (const auto& record : people) {
    listed.insert(organizationName(*record));
    EXPECT_TRUE(record->isReadOnly());
    EXPECT_FALSE(record->setValue(Property::Note, PropertyValue(std::string("mine now"))));
    EXPECT_FALSE(record->setImageData("x"));
  }
  EXPECT_EQ(listed, (std::multiset<std::string>{"Sunrise Bakery", "Mill", "Sunrise Bakery", ""}));

  // The organization in a file with another entry cannot be removed
  // without removing that entry too.
  EXPECT_EQ(removeOrganizations(*book, "Sunrise Bakery"), 0);
  ASSERT_TRUE(book->addRecord(organization("Sunrise Bakery")));
  ASSERT_TRUE(book->save());

  // Removing another program's organization by name is the one change it
  // may make to their files.
  auto again = reopen(folder.book());
  EXPECT_EQ(removeOrganizations(*again, "Mill"), 1);
  ASSERT_TRUE(again->save());

  auto after = folder.files();
  EXPECT_FALSE(after.count("other-org.vcf"));
  for (const auto& [name, bytes] : foreign) {
    if (name == "other-org.vcf") continue;
    EXPECT_EQ(after[name], bytes) << name;
  }
  const auto unchanged = statOf(folder.book() + "/person.vcf");
  EXPECT_EQ(unchanged.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(unchanged.st_ino, before.st_ino);
  EXPECT_TRUE(std::filesystem::is_directory(folder.book() + "/folder.vcf"));
  EXPECT_TRUE(std::filesystem::is_symlink(folder.book() + "/dangling.vcf"));
}

TEST(AddressBook, AFileChangedSinceItWasReadIsNotRemovedOrOverwritten) {
  TestFolder folder;
  auto book = AddressBook::createAtPath(folder.book());
  ASSERT_TRUE(book->addRecord(organization("Harbour Fish", picture())));
  ASSERT_TRUE(book->save());
  const std::string name = folder.vcfNames().at(0);

  auto again = reopen(folder.book());
  auto record = again->copyArrayOfAllPeople().at(0);
  EXPECT_EQ(organizationName(*record), "Harbour Fish");
  // Another program rewrites the entry after it was listed.
  const std::string theirs = "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:org\r\nORG:Harbour Fish Ltd\r\nEND:VCARD\r\n";
  folder.write(name, theirs);
  // What was listed stays what it was; what was not read yet is not
  // taken from a different version of the file.
  EXPECT_EQ(organizationName(*record), "Harbour Fish");
  EXPECT_FALSE(record->hasImageData());

  ASSERT_TRUE(again->removeRecord(record));
  Error error;
  EXPECT_FALSE(again->save(&error));
  EXPECT_EQ(error.domain, "AddressBookErrorDomain");
  EXPECT_EQ(error.code, AddressBook::kErrorRemoveFailed);
  EXPECT_NE(error.description.find(name), std::string::npos) << error.description;
  EXPECT_EQ(folder.read(name), theirs);
  EXPECT_TRUE(again->save()) << "the refused removal is not retried";
  EXPECT_EQ(folder.read(name), theirs);
}

TEST(AddressBook, SaveReportsWhatItCouldNotWriteAndTriesAgain) {
  TestFolder folder;
  // A file where the folder should be: nothing can be created below it.
  std::ofstream(folder.book()) << "in the way";
  auto book = AddressBook::createAtPath(folder.book());
  ASSERT_TRUE(book->addRecord(organization("Sunrise Bakery")));
  Error error;
  EXPECT_FALSE(book->save(&error));
  EXPECT_EQ(error.domain, "AddressBookErrorDomain");
  EXPECT_EQ(error.code, AddressBook::kErrorWriteFailed);
  EXPECT_NE(error.description.find(folder.book()), std::string::npos) << error.description;
  EXPECT_TRUE(book->hasUnsavedChanges());

  std::filesystem::remove(folder.book());
  EXPECT_TRUE(book->save());
  EXPECT_EQ(reopen(folder.book())->copyArrayOfAllPeople().size(), 1u);
}

TEST(AddressBook, StaleTemporaryFilesOfFinishedProcessesAreRemovedOnOpen) {
  // Temporary files carry the app's file name; another app's are not ours.
  testing_support::ScopedAppIdentity identity(testing_support::ScopedAppIdentity::hostApp());
  TestFolder folder;
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ASSERT_GT(child, 0);
  ::waitpid(child, nullptr, 0);
  const std::string stale = ".host-app-ab-" + std::to_string(child) + "-00aa11bb22cc.tmp";
  const std::string live = ".host-app-ab-" + std::to_string(::getppid()) + "-00aa11bb22cc.tmp";
  const std::string lookalike = ".host-app-ab-" + std::to_string(child) + "-notours.tmp";
  const std::string otherApps = ".other-app-ab-" + std::to_string(child) + "-00aa11bb22cc.tmp";
  for (const auto& name : {stale, live, lookalike, otherApps}) folder.write(name, "BEGIN:VCARD\r\n");

  auto book = reopen(folder.book());
  const auto files = folder.files();
  EXPECT_FALSE(files.count(stale));
  EXPECT_TRUE(files.count(live)) << "a save still running elsewhere keeps its file";
  EXPECT_TRUE(files.count(lookalike));
  EXPECT_TRUE(files.count(otherApps));
}

TEST(AddressBook, TheUsersBookFollowsTheHomeUnlessSetApart) {
  TestFolder folder;
  AppPaths::setHome(folder.path() + "/home");
  EXPECT_EQ(AddressBook::defaultDirectory(), folder.path() + "/home/Library/AddressBook");
  AddressBook::setDefaultDirectory(folder.book());
  EXPECT_EQ(AddressBook::defaultDirectory(), folder.book());
  auto book = AddressBook::create();
  EXPECT_EQ(book->path(), folder.book());
  ASSERT_TRUE(book->addRecord(organization("Sunrise Bakery")));
  ASSERT_TRUE(book->save());
  EXPECT_EQ(folder.vcfNames().size(), 1u);
  AddressBook::setDefaultDirectory(std::nullopt);
  AppPaths::setHome(std::nullopt);
}

}  // namespace
}  // namespace platform::addressbook
