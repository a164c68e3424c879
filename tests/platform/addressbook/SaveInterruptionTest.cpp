// A save killed at any moment: a child process saves the book over and
// over, the way the ad library replaces a business, and is killed with
// SIGKILL at a random moment. Every entry file must then be a whole card
// of one generation (the old or the new), no entry may be missing, and the
// next open clears away the dead process's temporary file.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "AddressBookTestSupport.h"
#include "platform/addressbook/VCardParser.h"
#include "platform/addressbook/VCardReader.h"
#include "platform/addressbook/VCardWriter.h"
#include "platform/addressbook/VdirFolder.h"

namespace platform::addressbook {
namespace {

using testing::organization;
using testing::organizationName;

const std::vector<std::string> kSteady = {"Mill", "Harbour Fish", "Corner Shop"};
const std::string kReplaced = "Sunrise Bakery";
constexpr int kRounds = 6;

std::string generationNote(int generation) { return "generation " + std::to_string(generation); }

// The child: rewrites the steady entries in place and replaces the other by
// name, with and without a picture in turn, until it is killed.
[[noreturn]] void saveForever(const std::string& folder, const std::string& picture) {
  for (int generation = 1;; ++generation) {
    auto book = AddressBook::createAtPath(folder);
    const bool withPicture = generation % 2 == 0;
    for (const auto& record : book->copyArrayOfAllPeople()) {
      if (organizationName(*record) == kReplaced) {
        book->removeRecord(record);
        continue;
      }
      record->setValue(Property::Note, PropertyValue(generationNote(generation)));
      if (withPicture) {
        record->setImageData(picture);
      } else {
        record->removeImageData();
      }
    }
    auto fresh = organization(kReplaced, withPicture ? picture : "");
    fresh->setValue(Property::Note, PropertyValue(generationNote(generation)));
    book->addRecord(fresh);
    (void)book->save();
  }
}

TEST(SaveInterruption, EveryFileIsOldOrNewAfterAKillDuringSave) {
  testing::TestFolder folder;
  const std::string picture = testing::picture();
  ASSERT_GT(picture.size(), 10000u);
  {
    auto book = AddressBook::createAtPath(folder.book());
    for (const auto& name : kSteady) book->addRecord(organization(name));
    book->addRecord(organization(kReplaced));
    ASSERT_TRUE(book->save());
  }
  const std::string theirs = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jo\r\nN:;Jo;;;\r\nEND:VCARD\r\n";
  folder.write("theirs.vcf", theirs);

  std::mt19937 random(20090402);
  std::uniform_int_distribution<int> delay(5, 120);
  for (int round = 0; round < kRounds; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) saveForever(folder.book(), picture);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child saves until it is killed";

    std::map<std::string, int> seen;
    for (const auto& name : folder.vcfNames()) {
      const std::string bytes = folder.read(name);
      if (name == "theirs.vcf") {
        EXPECT_EQ(bytes, theirs);
        continue;
      }
      const auto cards = VCardParser::parse(bytes);
      ASSERT_EQ(cards.size(), 1u) << name << " is torn:\n" << bytes;
      const auto read = VCardReader::read(cards.front().lines);
      EXPECT_EQ(read.productId, VCardWriter::productId());
      // The whole file is one generation's: the written bytes are exactly
      // what the writer makes of what was read back.
      EXPECT_EQ(VCardWriter::write(read.content), bytes) << name;
      ++seen[*read.content.organization];
    }
    for (const auto& name : kSteady) EXPECT_EQ(seen[name], 1) << name;
    EXPECT_GE(seen[kReplaced], 1) << "the replaced entry is never lost";
    EXPECT_LE(seen[kReplaced], 2);

    AddressBook::discardCachedEntries();
    (void)AddressBook::createAtPath(folder.book());
    for (const auto& [name, bytes] : folder.files()) {
      EXPECT_FALSE(VdirFolder::isTemporaryName(name)) << name << " outlived its process";
    }
  }
}

}  // namespace
}  // namespace platform::addressbook
