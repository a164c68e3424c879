#include "ads/destinations/PennantContact.h"

#include <gtest/gtest.h>

#include "AdServerFixture.h"
#include "ClickTestSupport.h"

namespace pennant {
namespace {

using platform::addressbook::AddressBook;
using platform::addressbook::PersonKind;
using platform::addressbook::Property;
using platform::addressbook::PropertyValue;
using platform::addressbook::Record;

const char* kFullContact = R"({
  "organization": "Sunrise Bakery",
  "phonenums": {"work": "+1 555 0100", "Night line": 5550199, "bad": [1], "worse": {"a": 1}},
  "emails": {"work": "hello@sunrise.example"},
  "addresses": {"work": {"Street": "1 Main St; Apt 2\nEND:VCARD", "City": "Springfield", "ZIP": 94107},
                "nowhere": "not an address"},
  "links": {"homepage": "http://sunrise.example/"},
  "note": "Fresh, every day",
  "image": "{{image}}"
})";

class PennantContactTest : public ::testing::Test {
 protected:
  std::shared_ptr<PennantContact> contactFrom(std::string text, const std::string& imagePath = "/picture.png") {
    for (auto at = text.find("{{image}}"); at != std::string::npos; at = text.find("{{image}}"))
      text.replace(at, 9, server.url(imagePath));
    auto object = testing::jsonObject(text);
    EXPECT_NE(object, nullptr) << text;
    return PennantContact::initWithDictionary(object.get());
  }
  // An organization or individual entry written by hand into the book.
  void addEntry(PersonKind kind, const std::string& organization) {
    auto book = AddressBook::create();
    auto record = Record::personCreate();
    record->setValue(Property::Kind, PropertyValue(kind));
    record->setValue(Property::Organization, PropertyValue(organization));
    ASSERT_TRUE(book->addRecord(record));
    ASSERT_TRUE(book->save());
  }
  std::size_t organizationsNamed(const std::string& name) {
    std::size_t count = 0;
    for (const auto& record : AddressBook::create()->copyArrayOfAllPeople()) {
      auto kind = record->copyValue(Property::Kind);
      auto organization = record->copyValue(Property::Organization);
      count += kind.kind() && *kind.kind() == PersonKind::Organization && organization.string() &&
               *organization.string() == name;
    }
    return count;
  }
  void settle() { loop.runUntil([] { return false; }); }

  testing::TestLoop loop;
  testing::LoopbackServer server;
  testing::TestAddressBook book;
  testing::LogCapture log;
};

TEST_F(PennantContactTest, AFullContactIsWrittenWithWhatIsUsableAndReadsBack) {
  auto contact = contactFrom(kFullContact);
  contact->setImageLocation(std::nullopt);
  contact->addToAddressBook();

  ASSERT_EQ(book.vcards().size(), 1u);
  const std::string card = book.vcards()[0];
  EXPECT_NE(card.find("KIND:org"), std::string::npos) << card;
  // The server's semicolons and newline stay inside the street value.
  EXPECT_EQ(card.find("\r\nEND:VCARD\r\n"), card.size() - 13) << card;
  EXPECT_EQ(log.count("Added contact Sunrise Bakery to the address book."), 1u);

  auto read = PennantContact::initWithAddressBookEntryForOrganization("Sunrise Bakery");
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->organization(), "Sunrise Bakery");
  // A number is taken as its digits; a list or object where text belongs is skipped.
  EXPECT_EQ(read->phoneNumbers(),
            (PennantContact::LabelledValues{{"Night line", "5550199"}, {"work", "+1 555 0100"}}));
  EXPECT_EQ(read->emailAddresses(), (PennantContact::LabelledValues{{"work", "hello@sunrise.example"}}));
  ASSERT_TRUE(read->addresses().has_value());
  ASSERT_EQ(read->addresses()->size(), 1u);
  EXPECT_EQ(read->addresses()->at("work").at("Street"), "1 Main St; Apt 2\nEND:VCARD");
  EXPECT_EQ(read->addresses()->at("work").at("ZIP"), "94107");
  EXPECT_EQ(read->links(), (PennantContact::LabelledValues{{"homepage", "http://sunrise.example/"}}));
  EXPECT_EQ(read->note(), "Fresh, every day");
  EXPECT_EQ(PennantContact::initWithAddressBookEntryForOrganization("sunrise bakery"), nullptr);
}

TEST_F(PennantContactTest, ValuesOfTheWrongTypeNeverCrashAndAreLeftOut) {
  auto contact = contactFrom(
      R"({"organization": ["Sunrise"], "phonenums": ["555"], "emails": "a@b", "addresses": 7,
          "links": null, "note": {"x": 1}, "image": 12})");
  EXPECT_FALSE(contact->organization());
  EXPECT_FALSE(contact->phoneNumbers());
  EXPECT_FALSE(contact->emailAddresses());
  EXPECT_FALSE(contact->addresses());
  EXPECT_FALSE(contact->links());
  EXPECT_FALSE(contact->note());
  EXPECT_FALSE(contact->imageLocation());
  contact->addToAddressBook();  // no organization: nothing is written
  EXPECT_TRUE(book.vcards().empty());
  EXPECT_FALSE(PennantContact::initWithDictionary(nullptr)->organization());

  auto bare = contactFrom(R"({"organization": 1984})");
  bare->addToAddressBook();
  ASSERT_EQ(book.vcards().size(), 1u);
  auto read = PennantContact::initWithAddressBookEntryForOrganization("1984");
  ASSERT_NE(read, nullptr);
  EXPECT_FALSE(read->phoneNumbers() || read->emailAddresses() || read->addresses() || read->links() || read->note());
}

TEST_F(PennantContactTest, AddingReplacesOrganizationsOfTheSameNameAndLeavesPeopleAlone) {
  addEntry(PersonKind::Organization, "Sunrise Bakery");
  addEntry(PersonKind::Organization, "Sunrise Bakery");
  addEntry(PersonKind::Person, "Sunrise Bakery");  // someone who works there
  addEntry(PersonKind::Organization, "Sunset Bakery");
  ASSERT_EQ(book.vcards().size(), 4u);

  auto contact = contactFrom(R"({"organization": "Sunrise Bakery", "note": "new"})");
  contact->addToAddressBook();
  contact->addToAddressBook();

  EXPECT_EQ(organizationsNamed("Sunrise Bakery"), 1u);
  EXPECT_EQ(organizationsNamed("Sunset Bakery"), 1u);
  EXPECT_EQ(book.vcards().size(), 3u);
  const std::string erasing =
      "Address Sunrise Bakery is already in the address book.  Erasing the old entry before adding the new one.";
  EXPECT_EQ(log.count(erasing), 3u);  // two old entries, then the first add
  EXPECT_EQ(PennantContact::initWithAddressBookEntryForOrganization("Sunrise Bakery")->note(), "new");

  EXPECT_TRUE(contact->removeFromAddressBook());
  EXPECT_EQ(organizationsNamed("Sunrise Bakery"), 0u);
  EXPECT_FALSE(contact->removeFromAddressBook());
  EXPECT_EQ(book.vcards().size(), 2u);
}

TEST_F(PennantContactTest, APictureIsFetchedAfterTheFirstWriteAndTheEntryWrittenAgain) {
  const std::string png = testing::pngBytes(64, 64);
  server.server().Get("/picture.png", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(png, "image/png");
  });
  auto contact = contactFrom(kFullContact);
  std::weak_ptr<PennantContact> weak = contact;
  contact->addToAddressBook();
  // Written at once without the picture; the alert that made it goes away.
  ASSERT_EQ(book.vcards().size(), 1u);
  EXPECT_EQ(book.vcards()[0].find("PHOTO"), std::string::npos);
  contact.reset();
  ASSERT_FALSE(weak.expired()) << "the picture download keeps the contact";

  settle();
  EXPECT_TRUE(weak.expired()) << "the contact lets itself go when the picture is in";
  ASSERT_EQ(book.vcards().size(), 1u);
  EXPECT_NE(book.vcards()[0].find("PHOTO:data:image/png;base64,"), std::string::npos);
  EXPECT_EQ(log.count("Added contact Sunrise Bakery to the address book."), 2u);
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(PennantContactTest, APictureThatFailsOrIsNoPictureLeavesTheEntryAndFreesTheContact) {
  server.server().Get("/missing.png", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
  });
  server.server().Get("/page.html", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("<html>not a picture</html>", "image/png");
  });
  // A whole answer holding half a picture: it still starts like a PNG.
  const std::string png = testing::pngBytes(64, 64);
  server.server().Get("/cut.png", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(png.substr(0, png.size() / 2), "image/png");
  });
  for (const std::string& location :
       {server.url("/missing.png"), server.url("/page.html"), server.url("/cut.png"),
        "http://127.0.0.1:" + std::to_string(testing::closedPort()) + "/x.png", std::string("not a url")}) {
    auto contact = contactFrom(R"({"organization": "Sunrise Bakery", "image": "x"})");
    contact->setImageLocation(location);
    std::weak_ptr<PennantContact> weak = contact;
    contact->addToAddressBook();
    contact.reset();
    settle();
    EXPECT_TRUE(weak.expired()) << location;
    ASSERT_EQ(book.vcards().size(), 1u) << location;
    EXPECT_EQ(book.vcards()[0].find("PHOTO"), std::string::npos) << location;
  }
}

TEST_F(PennantContactTest, APictureThatNeverAnswersEndsWithItsTimeOut) {
  testing::LoopbackServer silent;
  silent.server().Get("/slow.png", [](const httplib::Request&, httplib::Response& response) {
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    response.set_content("late", "image/png");
  });
  auto contact = contactFrom(R"({"organization": "Sunrise Bakery"})");
  contact->setImageLocation(silent.url("/slow.png"));
  contact->setPictureTimeoutInterval(0.1);
  std::weak_ptr<PennantContact> weak = contact;
  contact->addToAddressBook();
  contact.reset();
  loop.runUntil([&] { return weak.expired(); });
  EXPECT_TRUE(weak.expired());
}

}  // namespace
}  // namespace pennant
