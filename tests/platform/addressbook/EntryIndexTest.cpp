// The index of what was read, kept in the app's caches between runs: the
// first open of a process lists the book from it without reading the
// files, yet whatever changed on disk wins over it, and an index that is
// damaged, cut short or made for another folder is ignored as a whole.

#include "platform/addressbook/EntryIndex.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "AddressBookTestSupport.h"

namespace platform::addressbook {
namespace {

using testing::organization;
using testing::organizationName;
using testing::TestFolder;

std::vector<std::string> namesIn(AddressBook& book) {
  std::vector<std::string> names;
  for (const auto& record : book.copyArrayOfAllPeople()) names.push_back(organizationName(*record));
  std::sort(names.begin(), names.end());
  return names;
}

// What a first open in a new process sees.
std::shared_ptr<AddressBook> openFresh(const std::string& folder) {
  AddressBook::discardCachedEntries();
  return AddressBook::createAtPath(folder);
}

// Rewrites the index so that it claims another organization name for every
// card. An open that shows the claimed name took it from the index without
// reading the file.
void claimInIndex(const EntryIndex& index, const std::string& claimed) {
  auto files = index.load();
  ASSERT_FALSE(files.empty());
  for (auto& [name, file] : files) {
    for (auto& card : file.cards) {
      auto content = std::make_shared<EntryContent>(*card.content);
      content->organization = claimed;
      card.content = content;
    }
  }
  ASSERT_TRUE(index.save(files));
}

class EntryIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto book = AddressBook::createAtPath(folder.book());
    book->addRecord(organization("Sunrise Bakery"));
    ASSERT_TRUE(book->save());
    // The first open reads the file and notes it in the index.
    EXPECT_EQ(namesIn(*openFresh(folder.book())), std::vector<std::string>{"Sunrise Bakery"});
  }

  std::string entryName() const { return folder.vcfNames().at(0); }

  TestFolder folder;
  EntryIndex index = EntryIndex::forFolder(folder.book());
};

TEST_F(EntryIndexTest, AFirstOpenListsFromTheIndexAndReadsTheRestFromTheFile) {
  ASSERT_TRUE(std::filesystem::exists(index.path()));
  EXPECT_EQ(index.path().rfind(AppPaths::cachesDirectory(), 0), 0u) << index.path();
  EXPECT_EQ(folder.vcfNames().size(), folder.files().size()) << "nothing but entries in the user's folder";
  EXPECT_EQ(std::filesystem::status(std::filesystem::path(index.path()).parent_path()).permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_all);

  claimInIndex(index, "Noted Name");
  auto book = openFresh(folder.book());
  auto people = book->copyArrayOfAllPeople();
  ASSERT_EQ(people.size(), 1u);
  EXPECT_EQ(organizationName(*people[0]), "Noted Name");
  // Everything else comes from the entry's file, read when asked for.
  EXPECT_EQ(people[0]->copyValue(Property::Note), PropertyValue(std::string("Open every day from 6 am.")));
  EXPECT_EQ(people[0]->copyValue(Property::Phone), organization("x")->copyValue(Property::Phone));

  // Replacing the business works from an index-listed record, and the next
  // first open sees the new file, not what the index noted before.
  ASSERT_TRUE(book->removeRecord(people[0]));
  book->addRecord(organization("Harbour Fish"));
  ASSERT_TRUE(book->save());
  EXPECT_EQ(folder.vcfNames().size(), 1u);
  EXPECT_EQ(namesIn(*openFresh(folder.book())), std::vector<std::string>{"Harbour Fish"});
  EXPECT_EQ(namesIn(*openFresh(folder.book())), std::vector<std::string>{"Harbour Fish"});
}

TEST_F(EntryIndexTest, AFileChangedSinceItWasNotedIsReadAgain) {
  claimInIndex(index, "Noted Name");
  // Another program rewrites the entry with the same length, in place.
  std::string bytes = folder.read(entryName());
  for (auto at = bytes.find("Bakery"); at != std::string::npos; at = bytes.find("Bakery")) bytes[at] = 'C';
  folder.write(entryName(), bytes);
  // Later than the version noted, whatever the file system clock's tick.
  const auto path = folder.book() + "/" + entryName();
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(2));
  EXPECT_EQ(namesIn(*openFresh(folder.book())), std::vector<std::string>{"Sunrise Cakery"});
  // That open brought the index up to date.
  EXPECT_EQ(index.load().at(0).second.cards.at(0).content->organization, "Sunrise Cakery");

  // A file the index never heard of, and one it notes that is gone.
  std::filesystem::remove(folder.book() + "/" + entryName());
  folder.write("other.vcf", "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:org\r\nFN:Other\r\nORG:Other\r\nEND:VCARD\r\n");
  EXPECT_EQ(namesIn(*openFresh(folder.book())), std::vector<std::string>{"Other"});
}

TEST_F(EntryIndexTest, ADamagedIndexIsIgnoredAsAWhole) {
  claimInIndex(index, "Noted Name");
  std::ifstream in(index.path(), std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_NE(good.find("Noted Name"), std::string::npos);

  auto damaged = good;
  damaged[damaged.find("Noted Name")] = 'M';
  std::string swappedHeader = good;
  swappedHeader[0] = 'w';
  const std::vector<std::string> variants = {
      damaged,                                   // one byte changed
      good.substr(0, good.size() / 2),           // cut short
      good.substr(0, good.rfind("end")),         // its seal gone
      "",                                        // empty
      std::string(4096, '\xff'),                 // not text at all
      swappedHeader,                             // another format
  };
  for (const auto& variant : variants) {
    std::ofstream(index.path(), std::ios::binary | std::ios::trunc) << variant;
    EXPECT_EQ(namesIn(*openFresh(folder.book())), std::vector<std::string>{"Sunrise Bakery"}) << variant.size();
    // The open that had to read the file wrote a sound index again.
    EXPECT_EQ(index.load().size(), 1u);
    claimInIndex(index, "Noted Name");
  }

  // An index made for another folder, under this folder's name.
  TestFolder other;
  auto otherBook = AddressBook::createAtPath(other.book());
  otherBook->addRecord(organization("Harbour Fish"));
  ASSERT_TRUE(otherBook->save());
  AppPaths::setHome(folder.path() + "/home");
  openFresh(other.book());
  // Both folders' indexes sit in the same caches now; copy one over the other.
  const auto otherIndex = EntryIndex::forFolder(other.book());
  ASSERT_TRUE(std::filesystem::exists(otherIndex.path()));
  std::filesystem::copy_file(otherIndex.path(), index.path(), std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(namesIn(*openFresh(folder.book())), std::vector<std::string>{"Sunrise Bakery"});
}

TEST_F(EntryIndexTest, NamesAndValuesWithSeparatorsSurviveTheIndex) {
  // Other programs name files freely; the index must not split on them.
  folder.write("tab\there\nand\\more.vcf",
               "BEGIN:VCARD\r\nVERSION:4.0\r\nKIND:org\r\nFN:A\\nB\r\nORG:Line\\nbreak\\, tab\t\\\\ end\r\nEND:VCARD\r\n"
               "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Second Card\r\nNOTE:second\r\nEND:VCARD\r\n");
  const auto expected = namesIn(*openFresh(folder.book()));
  ASSERT_EQ(expected.size(), 3u);
  EXPECT_EQ(namesIn(*openFresh(folder.book())), expected);
  EXPECT_EQ(index.load().size(), 2u);
  // The second card of a shared file is still read from the right card.
  bool sawSecond = false;
  for (const auto& record : openFresh(folder.book())->copyArrayOfAllPeople()) {
    if (record->copyValue(Property::Note) == PropertyValue(std::string("second"))) sawSecond = true;
  }
  EXPECT_TRUE(sawSecond);
}

}  // namespace
}  // namespace platform::addressbook
