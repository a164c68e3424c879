#include <gtest/gtest.h>

#include "AdServerFixture.h"
#include "AdTestDelegates.h"
#include "ClickTestSupport.h"
#include "ads/PennantAd.h"

namespace pennant {
namespace {

// A host that may take web clicks itself.
class WebHost : public testing::ScriptedHost {
 public:
  bool presentWebView(const std::shared_ptr<const platform::Url>& url) override {
    if (!takesWebClicks) return false;
    presented.push_back(url ? url->absoluteString() : "(null)");
    return true;
  }
  bool takesWebClicks = false;
  std::vector<std::string> presented;
};

// Notes whether an alert was already up when the click was reported.
class ClickRecorder : public testing::RecordingController {
 public:
  void clickDidSucceed(const std::shared_ptr<PennantAd>& ad) override {
    alertShownAtSuccess = platform::ui::PopupPresenter::shared().shownPopup() != nullptr;
    RecordingController::clickDidSucceed(ad);
  }
  bool alertShownAtSuccess = false;
};

class PennantAdClickTest : public ::testing::Test {
 protected:
  PennantAdClickTest() {
    host->embedded = false;
    server.server.server().Get("/click", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard lock(mutex);
      response.status = clickStatus;
      response.set_content(clickAnswer, "application/json");
    });
  }
  // A loaded text ad whose action is `action` and whose click URL is ours.
  std::shared_ptr<PennantAd> loadedAd(const std::string& action,
                                      const std::string& clickPath = R"("jsonp_url":"{{base}}/click",)") {
    server.setAnswer(R"({"text":"Fresh bread","6":")" + action + R"(","url":"u",)" + clickPath +
                     R"("204":"/static/ads/bread.png"})");
    controller->events.clear();
    auto ad = PennantAd::initWithAdFormat(0);
    ad->setDelegate(host);
    ad->setAdDelegate(controller);
    ad->request();
    loop.runUntil([this] { return !controller->events.empty(); });
    EXPECT_EQ(ad->state(), PennantAd::State::Ready) << controller->events[0] << ::testing::PrintToString(server.paths());
    controller->events.clear();
    return ad;
  }
  void setClickAnswer(std::string answer, int status = 200) {
    std::lock_guard lock(mutex);
    clickAnswer = std::move(answer);
    clickStatus = status;
  }
  // Clicks and runs until the click has been reported.
  void clickAndWait(const std::shared_ptr<PennantAd>& ad) {
    ad->click();
    EXPECT_TRUE(ad->readyForDisplay()) << "a banner keeps drawing while its click runs";
    loop.runUntil([this] { return !controller->events.empty(); });
  }

  testing::TestLoop loop;
  testing::AdServerFixture server;
  testing::LogCapture log;
  testing::OpenedURLs opened;
  testing::TestScreen screen{loop};
  testing::TestAddressBook book;
  std::shared_ptr<WebHost> host = std::make_shared<WebHost>();
  std::shared_ptr<ClickRecorder> controller = std::make_shared<ClickRecorder>();
  std::mutex mutex;
  std::string clickAnswer;
  int clickStatus = 200;
};

TEST_F(PennantAdClickTest, EachActionIsCarriedOutAfterTheClickIsReported) {
  const std::string answer = R"({"redirect_url":"tel://555-0100","acquisition_url":"http://127.0.0.1:1/a",
      "contact":{"organization":"Sunrise Bakery"}})";
  struct Case {
    std::string action;
    bool takesWebClicks;
    std::vector<std::string> opened;
    std::vector<std::string> presented;
    std::string alertTitle;
    std::vector<std::string> log;
  };
  const std::string browserError =
      "Pennant internal error: adDelegate does not respond to displayEmbeddedBrowserWithAd:url:";
  const std::string canvasError = "Pennant internal error: adDelegate does not respond to displayCanvasWithAd:url:";
  for (const Case& c : std::vector<Case>{
           {"url", false, {"tel://555-0100"}, {}, "", {}},
           {"url", true, {}, {"tel://555-0100"}, "", {}},
           {"canvas", true, {}, {}, "", {canvasError}},
           {"URL", true, {"tel://555-0100"}, {}, "", {}},
           {"visit", false, {"tel://555-0100"}, {}, "", {}},
           {"call", false, {}, {}, "Call 555-0100?", {}},
           {"contact", false, {}, {}, "Add Sunrise Bakery to your Address Book?", {}},
       }) {
    auto ad = loadedAd(c.action);
    host->takesWebClicks = c.takesWebClicks;
    host->presented.clear();
    opened.urls.clear();
    setClickAnswer(answer);
    testing::LogCapture clickLog;
    clickAndWait(ad);
    ASSERT_EQ(controller->events, std::vector<std::string>{"clickSucceed"}) << c.action;
    EXPECT_FALSE(controller->alertShownAtSuccess) << c.action;
    EXPECT_EQ(ad->state(), PennantAd::State::Ready) << c.action;
    EXPECT_EQ(opened.urls, c.opened) << c.action;
    EXPECT_EQ(host->presented, c.presented) << c.action;
    auto alert = screen.shownAlert();
    EXPECT_EQ(alert ? alert->title().value_or("") : "", c.alertTitle) << c.action;
    if (alert) alert->dismissWithClickedButtonIndexAnimated(0, false);
    EXPECT_EQ(clickLog.lines(), c.log) << c.action;
  }
  // With the embedded browser (the default), a controller that cannot open
  // it says so.
  host->embedded.reset();
  auto ad = loadedAd("url");
  testing::LogCapture clickLog;
  clickAndWait(ad);
  EXPECT_EQ(clickLog.lines(), std::vector<std::string>{browserError});
}

TEST_F(PennantAdClickTest, UnusableAnswersFailTheClickOrRunTheActionWithoutADestination) {
  struct Case {
    std::string answer;
    int status;
    std::string outcome;
    std::vector<std::string> opened;
  };
  for (const Case& c : std::vector<Case>{
           {R"({"redirect_url":"http://bakery.test/"})", 200, "clickSucceed", {"http://bakery.test/"}},
           {"", 200, "clickFail", {}},
           {"{}", 200, "clickSucceed", {}},
           {"<html>not JSON</html>", 200, "clickSucceed", {}},
           {R"(["redirect_url"])", 200, "clickSucceed", {}},
           {R"({"redirect_url":"no url at all"})", 200, "clickSucceed", {}},
           {R"({"redirect_url":42})", 200, "clickFail", {}},
           {R"({"redirect_url":["http://bakery.test/"]})", 200, "clickFail", {}},
           {R"({"redirect_url":{"url":"http://bakery.test/"}})", 200, "clickFail", {}},
           {R"({"redirect_url":null})", 200, "clickFail", {}},
           {R"({"redirect_url":"http://bakery.test/","acquisition_url":7,"contact":"x"})", 200, "clickSucceed",
            {"http://bakery.test/"}},
           {R"({"redirect_url":"http://bakery.test/"})", 500, "clickFail", {}},
       }) {
    auto ad = loadedAd("visit");
    opened.urls.clear();
    setClickAnswer(c.answer, c.status);
    testing::LogCapture clickLog;
    clickAndWait(ad);
    EXPECT_EQ(controller->events, std::vector<std::string>{c.outcome}) << c.answer;
    EXPECT_EQ(opened.urls, c.opened) << c.answer;
    EXPECT_EQ(ad->state(), PennantAd::State::Ready) << c.answer;
    EXPECT_TRUE(ad->activeDownloads()->empty()) << c.answer;
    EXPECT_TRUE(clickLog.lines().empty()) << c.answer;  // a null destination logs nothing
  }
}

TEST_F(PennantAdClickTest, AClickWithoutAUsableClickURLFails) {
  for (const std::string& clickPath :
       {std::string(), std::string(R"("jsonp_url":"http://127.0.0.1:)") + std::to_string(testing::closedPort()) +
                           R"(/click",)"}) {
    auto ad = loadedAd("visit", clickPath);
    clickAndWait(ad);
    EXPECT_EQ(controller->events, std::vector<std::string>{"clickFail"}) << clickPath;
    EXPECT_EQ(ad->state(), PennantAd::State::Ready);
  }
}

TEST_F(PennantAdClickTest, TwoClicksInFlightAreEachCarriedOut) {
  auto ad = loadedAd("visit");
  setClickAnswer(R"({"redirect_url":"http://bakery.test/"})");
  ad->click();
  ad->click();
  EXPECT_EQ(ad->activeDownloads()->size(), 2u);
  loop.runUntil([this] { return controller->events.size() == 2; });
  EXPECT_EQ(controller->events, (std::vector<std::string>{"clickSucceed", "clickSucceed"}));
  EXPECT_EQ(opened.urls, (std::vector<std::string>{"http://bakery.test/", "http://bakery.test/"}));
}

}  // namespace
}  // namespace pennant
