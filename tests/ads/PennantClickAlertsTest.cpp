#include <gtest/gtest.h>

#include "AdServerFixture.h"
#include "ClickTestSupport.h"
#include "ads/destinations/PennantClickToCallAlert.h"
#include "ads/destinations/PennantClickToContactsAlert.h"

namespace pennant {
namespace {

class ClickAlertsTest : public ::testing::Test {
 protected:
  ClickAlertsTest() {
    server.server().Get("/acquired", [this](const httplib::Request&, httplib::Response& response) {
      entriesAtAcquisition = book.vcards().size();
      response.set_content("ok", "text/plain");
    });
    server.server().Get("/broken", [](const httplib::Request&, httplib::Response& response) { response.status = 500; });
  }
  static std::shared_ptr<const platform::Url> url(const std::string& text) { return platform::Url::URLWithString(text); }
  std::string refused() { return "http://127.0.0.1:" + std::to_string(testing::closedPort()) + "/acquired"; }
  void settle() { loop.runUntil([] { return false; }); }

  testing::TestLoop loop;
  testing::LoopbackServer server;
  testing::TestAddressBook book;
  testing::LogCapture log;
  testing::OpenedURLs opened{&server};
  testing::TestScreen screen{loop};
  std::size_t entriesAtAcquisition = 0;
};

TEST_F(ClickAlertsTest, TheCallAlertShowsTheNumberAndRefusesURLsWithoutOne) {
  for (const char* text : {"tel://555-0100", "tel:555-0100", "tel:555//-0100//"}) {
    auto alert = PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(url(text), std::nullopt);
    ASSERT_NE(alert, nullptr) << text;
    EXPECT_EQ(alert->title(), "Call 555-0100?") << text;
    EXPECT_EQ(alert->message(), std::nullopt);
    EXPECT_EQ(alert->buttonTitles(), (std::vector<std::string>{"Cancel", "Call"}));
    EXPECT_EQ(alert->cancelButtonIndex(), 0);
    alert->alertViewClickedButtonAtIndex(*alert, 0);  // lets it go
  }
  EXPECT_EQ(PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(url("tel://"), std::nullopt), nullptr);
  EXPECT_EQ(PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(nullptr, std::nullopt), nullptr);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"Empty phone number in click response.",
                                                   "No phone number in click response."}));
}

TEST_F(ClickAlertsTest, CancelDialsNothingAndRecordsNothing) {
  std::weak_ptr<PennantClickToCallAlert> weak;
  {
    auto alert = PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(url("tel:5550100"), server.url("/acquired"));
    weak = alert;
    alert->show();
  }
  ASSERT_TRUE(screen.press("Cancel"));
  settle();
  EXPECT_TRUE(weak.expired());
  EXPECT_TRUE(opened.urls.empty());
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(ClickAlertsTest, CallRecordsTheAcquisitionFirstAndDialsExactlyOnceWhateverItsOutcome) {
  struct Case {
    std::optional<std::string> acquisition;
    std::size_t requests;
    bool logsFailure;
  };
  for (const Case& c : std::initializer_list<Case>{{std::nullopt, 0, false},
                                                    {server.url("/acquired"), 1, false},
                                                    {server.url("/broken"), 1, true},
                                                    {refused(), 0, true},
                                                    {std::string("::not a url::"), 0, true}}) {
    opened.urls.clear();
    opened.requestsBefore.clear();
    const std::size_t requestsBefore = server.requests().size();
    const std::size_t failuresBefore = log.count("Failed to record click-to-call acquisition.");
    std::weak_ptr<PennantClickToCallAlert> weak;
    {
      auto alert = PennantClickToCallAlert::initWithPhoneNumberAcquisitionURL(url("tel://555-0100"), c.acquisition);
      weak = alert;
      alert->show();
    }
    ASSERT_TRUE(screen.press("Call"));
    settle();
    const std::string label = c.acquisition.value_or("none");
    ASSERT_EQ(opened.urls, std::vector<std::string>{"tel://555-0100"}) << label;
    EXPECT_EQ(opened.requestsBefore[0], requestsBefore + c.requests) << "dialled after the acquisition: " << label;
    EXPECT_EQ(server.requests().size(), requestsBefore + c.requests) << label;
    EXPECT_EQ(log.count("Failed to record click-to-call acquisition."), failuresBefore + (c.logsFailure ? 1 : 0))
        << label;
    EXPECT_TRUE(weak.expired()) << label;
  }
}

TEST_F(ClickAlertsTest, TheContactsAlertNeedsAnOrganization) {
  auto none = PennantClickToContactsAlert::initWithContactAcquisitionURL(nullptr, std::nullopt);
  auto list = testing::jsonObject(R"({"contact": ["Sunrise"]})");
  auto notAnObject = PennantClickToContactsAlert::initWithContactAcquisitionURL(list->objectForKey("contact"),
                                                                                std::nullopt);
  auto nameless = testing::jsonObject(R"({"phonenums": {"work": "555"}})");
  auto noName = PennantClickToContactsAlert::initWithContactAcquisitionURL(nameless.get(), std::nullopt);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(notAnObject, nullptr);
  EXPECT_EQ(noName, nullptr);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"No contact information in click response.",
                                                   "No contact information in click response.",
                                                   "No organization name in the contact information in click response."}));

  auto contact = testing::jsonObject(R"({"organization": "Sunrise Bakery", "phonenums": {}})");
  auto alert = PennantClickToContactsAlert::initWithContactAcquisitionURL(contact.get(), std::nullopt);
  ASSERT_NE(alert, nullptr);
  EXPECT_EQ(alert->title(), "Add Sunrise Bakery to your Address Book?");
  EXPECT_EQ(alert->buttonTitles(), (std::vector<std::string>{"Cancel", "Add"}));
  alert->alertViewClickedButtonAtIndex(*alert, alert->cancelButtonIndex());
  EXPECT_TRUE(book.vcards().empty());
}

TEST_F(ClickAlertsTest, AddWritesTheEntryBeforeTheAcquisitionAndCancelWritesNothing) {
  auto contact = testing::jsonObject(R"({"organization": "Sunrise Bakery", "phonenums": {}})");
  struct Case {
    std::string button;
    std::optional<std::string> acquisition;
    std::size_t entries;
    std::size_t requests;
    bool logsFailure;
  };
  for (const Case& c : std::initializer_list<Case>{{"Cancel", server.url("/acquired"), 0, 0, false},
                                                    {"Add", std::nullopt, 1, 0, false},
                                                    {"Add", server.url("/acquired"), 1, 1, false},
                                                    {"Add", server.url("/broken"), 1, 1, true},
                                                    {"Add", refused(), 1, 0, true}}) {
    std::filesystem::remove_all(book.folder.book());
    const std::size_t requestsBefore = server.requests().size();
    const std::size_t failuresBefore = log.count("Failed to record click-to-contacts acquisition.");
    entriesAtAcquisition = 0;
    std::weak_ptr<PennantClickToContactsAlert> weak;
    {
      auto alert = PennantClickToContactsAlert::initWithContactAcquisitionURL(contact.get(), c.acquisition);
      weak = alert;
      alert->show();
    }
    ASSERT_TRUE(screen.press(c.button));
    settle();
    const std::string label = c.button + " " + c.acquisition.value_or("none");
    EXPECT_EQ(book.vcards().size(), c.entries) << label;
    EXPECT_EQ(server.requests().size(), requestsBefore + c.requests) << label;
    if (c.acquisition == server.url("/acquired") && c.requests) {
      EXPECT_EQ(entriesAtAcquisition, 1u) << label;
    }
    EXPECT_EQ(log.count("Failed to record click-to-contacts acquisition."), failuresBefore + (c.logsFailure ? 1 : 0))
        << label;
    EXPECT_TRUE(weak.expired()) << label;
  }
}

}  // namespace
}  // namespace pennant
