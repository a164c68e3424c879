#include "ads/PennantController.h"

#include <gtest/gtest.h>

#include "AdServerFixture.h"
#include "AdTestDelegates.h"
#include "ads/PennantSingleAdView.h"
#include "ads/PennantView.h"
#include "ads/PennantViewInternal.h"

namespace pennant {
namespace {

// The host of these tests: counts the first-ad callbacks.
class CountingHost : public testing::ScriptedHost {
 public:
  void didReceiveAd(const std::shared_ptr<PennantView>& view) override { received.push_back(view); }
  void didFailToReceiveAd(const std::shared_ptr<PennantView>& view) override { failed.push_back(view); }
  std::vector<std::shared_ptr<PennantView>> received, failed;
};

const char* kTextAd = R"({"text":"Ad","6":"url","url":"u","204":"/static/ads/a.png"})";
const char* kBannerAd = R"({"banner":"{{base}}/banners/b.png","6":"url","url":"u"})";

class PennantControllerTest : public ::testing::Test {
 protected:
  PennantControllerTest() { host->embedded = false; }
  std::shared_ptr<PennantController> controllerOf(const std::shared_ptr<PennantView>& view) {
    return std::dynamic_pointer_cast<PennantViewInternal>(view)->controller();
  }
  std::shared_ptr<PennantSingleAdView> bannerOf(const std::shared_ptr<PennantView>& view) {
    auto tagged = view->viewWithTag(1);
    return std::dynamic_pointer_cast<PennantSingleAdView>(tagged);
  }
  void settle() { loop.runUntil([] { return false; }); }
  // Lets every animation and delayed release run.
  void passTime(double seconds) {
    settle();
    loop.loop().advanceBy(seconds);
    settle();
  }
  std::size_t adRequests() { return server.countOf("/ad_source.php"); }

  testing::TestLoop loop;
  testing::AdServerFixture server;
  std::shared_ptr<CountingHost> host = std::make_shared<CountingHost>();
};

TEST_F(PennantControllerTest, ANewAdViewIsATransparentBannerWithItsRequestUnderWay) {
  EXPECT_EQ(PennantView::version(), "20090402");
  server.setAnswer(kTextAd);
  auto view = PennantView::requestAdWithDelegate(host);
  EXPECT_EQ(view->frame(), (platform::graphics::Rect{{0, 0}, {320, 48}}));
  EXPECT_FALSE(view->backgroundColor().has_value());
  EXPECT_EQ(view->autoresizingMask() & 18u, 0u);
  auto controller = controllerOf(view);
  ASSERT_NE(controller, nullptr);
  ASSERT_NE(controller->currentlyDisplayedAd(), nullptr);
  EXPECT_NE(controller->currentlyDisplayedAd()->state(), PennantAd::State::Created);

  settle();
  ASSERT_EQ(host->received.size(), 1u);
  EXPECT_EQ(host->received[0], view);
  auto banner = bannerOf(view);
  ASSERT_NE(banner, nullptr);
  EXPECT_EQ(banner->ad(), controller->currentlyDisplayedAd());
  EXPECT_EQ(banner->frame(), view->bounds());
}

TEST_F(PennantControllerTest, AFreshAdFlipsInWithoutTellingTheHost) {
  server.setAnswer(kTextAd);
  auto view = PennantView::requestAdWithDelegate(host);
  settle();
  auto controller = controllerOf(view);
  auto firstAd = controller->currentlyDisplayedAd();
  auto firstBanner = bannerOf(view);

  view->requestFreshAd();
  ASSERT_NE(controller->loadingAd(), nullptr);
  settle();
  EXPECT_EQ(host->received.size(), 1u);
  EXPECT_EQ(controller->loadingAd(), nullptr);
  EXPECT_NE(controller->currentlyDisplayedAd(), firstAd);
  auto secondBanner = bannerOf(view);
  ASSERT_NE(secondBanner, nullptr);
  EXPECT_NE(secondBanner, firstBanner);
  EXPECT_EQ(secondBanner->ad(), controller->currentlyDisplayedAd());
  EXPECT_EQ(firstBanner->tag(), 0);
  EXPECT_EQ(firstBanner->superview(), nullptr);
  EXPECT_EQ(view->subviews().size(), 1u);
  EXPECT_EQ(firstAd->delegate(), nullptr) << "the replaced ad no longer asks the host";

  std::weak_ptr<PennantSingleAdView> weakOld = firstBanner;
  firstBanner.reset();
  EXPECT_FALSE(weakOld.expired()) << "the flip keeps the old banner until it ends";
  passTime(0.7);
  EXPECT_TRUE(weakOld.expired());
}

TEST_F(PennantControllerTest, AnImageBannerBlocksRefreshes) {
  server.setAnswer(kBannerAd);
  auto view = PennantView::requestAdWithDelegate(host);
  settle();
  ASSERT_EQ(host->received.size(), 1u);
  EXPECT_EQ(controllerOf(view)->currentlyDisplayedAd()->medium(), PennantAd::Medium::Banner);
  view->requestFreshAd();
  view->requestFreshAd();
  settle();
  EXPECT_EQ(adRequests(), 1u);
  EXPECT_EQ(controllerOf(view)->loadingAd(), nullptr);
}

TEST_F(PennantControllerTest, AFailedFreshAdIsSilentAndKeepsTheBanner) {
  server.setAnswer(kTextAd);
  auto view = PennantView::requestAdWithDelegate(host);
  settle();
  auto banner = bannerOf(view);
  server.setAnswer("{}", 500);
  view->requestFreshAd();
  settle();
  EXPECT_EQ(host->received.size(), 1u);
  EXPECT_TRUE(host->failed.empty());
  EXPECT_EQ(bannerOf(view), banner);
  EXPECT_EQ(controllerOf(view)->loadingAd(), nullptr);
}

TEST_F(PennantControllerTest, AFailedFirstAdIsReportedAndAFreshAdFlipsIntoTheEmptyView) {
  server.setAnswer("not json");
  auto view = PennantView::requestAdWithDelegate(host);
  settle();
  ASSERT_EQ(host->failed.size(), 1u);
  EXPECT_EQ(host->failed[0], view);
  EXPECT_TRUE(host->received.empty());
  EXPECT_EQ(controllerOf(view)->currentlyDisplayedAd(), nullptr);
  EXPECT_TRUE(view->subviews().empty());

  server.setAnswer(kTextAd);
  view->requestFreshAd();
  settle();
  EXPECT_TRUE(host->received.empty()) << "only the first ad is reported";
  EXPECT_NE(bannerOf(view), nullptr);
}

TEST_F(PennantControllerTest, AFirstAdThatCannotEvenStartIsReportedAfterTheViewWasHandedOut) {
  // A host that keeps the view it is given and drops it when told the first
  // ad failed, as the app does.
  struct StoringHost : CountingHost {
    std::shared_ptr<PennantView> stored;
    void didFailToReceiveAd(const std::shared_ptr<PennantView>& view) override {
      CountingHost::didFailToReceiveAd(view);
      stored.reset();
    }
  };
  auto storing = std::make_shared<StoringHost>();
  storing->embedded = false;
  storing->endpoint = "not a url";
  storing->stored = PennantView::requestAdWithDelegate(storing);
  auto view = storing->stored;
  // The failure happened inside request(); the host hears of it on the next
  // turn of the run loop, after it stored the view.
  EXPECT_TRUE(storing->failed.empty());
  loop.loop().runPending();
  ASSERT_EQ(storing->failed.size(), 1u);
  EXPECT_EQ(storing->failed[0], view);
  EXPECT_EQ(storing->stored, nullptr) << "the host let go of the failed view";
  EXPECT_EQ(controllerOf(view)->currentlyDisplayedAd(), nullptr);
  settle();
  EXPECT_EQ(storing->failed.size(), 1u) << "told once";
  EXPECT_TRUE(storing->received.empty());
}

TEST_F(PennantControllerTest, AFreshAdThatCannotStartIsDroppedSilentlyOnTheNextTurn) {
  server.setAnswer(kTextAd);
  auto view = PennantView::requestAdWithDelegate(host);
  settle();
  auto controller = controllerOf(view);
  auto shown = controller->currentlyDisplayedAd();
  host->endpoint = "not a url";
  view->requestFreshAd();
  EXPECT_NE(controller->loadingAd(), nullptr) << "held until the next turn";
  settle();
  EXPECT_EQ(controller->loadingAd(), nullptr);
  EXPECT_EQ(controller->currentlyDisplayedAd(), shown);
  EXPECT_EQ(bannerOf(view)->ad(), shown);
  EXPECT_TRUE(host->failed.empty());

  // A second fresh request before that turn replaces the failed one, whose
  // outcome then belongs to no field and is ignored.
  view->requestFreshAd();
  host->endpoint.reset();
  view->requestFreshAd();
  auto second = controller->loadingAd();
  settle();
  EXPECT_EQ(controller->currentlyDisplayedAd(), second);
  EXPECT_TRUE(host->failed.empty());
}

TEST_F(PennantControllerTest, AFreshRequestWhileTheFirstLoadsCanWinTheRace) {
  // The first ad asks an endpoint that answers only once the fresh ad, which
  // asks another, has flipped in (or after a long time-out), so the fresh
  // ad wins every time, however the two requests are scheduled.
  auto freshShown = std::make_shared<std::atomic<bool>>(false);
  struct Release {
    std::shared_ptr<std::atomic<bool>> flag;
    ~Release() { *flag = true; }
  } release{freshShown};
  server.server.server().Get("/slow", [freshShown](const httplib::Request&, httplib::Response& response) {
    constexpr auto kStep = std::chrono::milliseconds(5);
    constexpr int kSteps = 2000;  // ten seconds
    for (int step = 0; step < kSteps && !*freshShown; ++step) std::this_thread::sleep_for(kStep);
    response.set_content(kTextAd, "application/json");
  });
  server.server.server().Get("/fast", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kTextAd, "application/json");
  });
  // Without the browser's icons to fetch, each ad asks for its endpoint inside
  // its request(), so the first ad surely asks "/slow" and the fresh one "/fast".
  host->embedded = false;
  host->endpoint = server.server.url("/slow");
  auto view = PennantView::requestAdWithDelegate(host);
  host->endpoint = server.server.url("/fast");
  auto controller = controllerOf(view);
  auto first = controller->currentlyDisplayedAd();
  std::weak_ptr<PennantAd> weakFirst = first;
  first.reset();
  view->requestFreshAd();
  auto fresh = controller->loadingAd();
  loop.runUntil([&] { return bannerOf(view) != nullptr; });
  *freshShown = true;
  ASSERT_NE(bannerOf(view), nullptr);
  EXPECT_EQ(bannerOf(view)->ad(), fresh);
  EXPECT_TRUE(host->received.empty()) << "the fresh ad flipped in silently";
  settle();
  EXPECT_TRUE(host->received.empty());
  EXPECT_TRUE(weakFirst.expired()) << "the first ad was released and never reported";
  EXPECT_EQ(server.countOf("/fast"), 1u);
}

TEST_F(PennantControllerTest, OnlyTheSecondOfTwoFreshRequestsCanReplaceTheBanner) {
  server.setAnswer(kTextAd);
  auto view = PennantView::requestAdWithDelegate(host);
  settle();
  auto controller = controllerOf(view);
  view->requestFreshAd();
  auto replaced = controller->loadingAd();
  view->requestFreshAd();
  auto second = controller->loadingAd();
  EXPECT_NE(replaced, second);
  settle();
  EXPECT_EQ(controller->currentlyDisplayedAd(), second);
  EXPECT_EQ(bannerOf(view)->ad(), second);
}

TEST_F(PennantControllerTest, AHostThatDropsTheViewInItsCallbackIsSafe) {
  struct DroppingHost : CountingHost {
    std::shared_ptr<PennantView> held;
    void didReceiveAd(const std::shared_ptr<PennantView>& view) override {
      CountingHost::didReceiveAd(view);
      held.reset();
    }
  };
  auto dropping = std::make_shared<DroppingHost>();
  dropping->embedded = false;
  server.setAnswer(kTextAd);
  dropping->held = PennantView::requestAdWithDelegate(dropping);
  std::weak_ptr<PennantView> weakView = dropping->held;
  settle();
  EXPECT_EQ(dropping->received.size(), 1u);
  dropping->received.clear();
  settle();
  EXPECT_TRUE(weakView.expired());
}

}  // namespace
}  // namespace pennant
