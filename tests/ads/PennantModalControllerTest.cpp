// The modal presentation chain on a simulated clock: frames and timing of
// the expansion, fade-in, fade-out and shrink, the host's notifications and
// their order, taps on the backdrop and on the content in each phase, and
// controllers that lose their owner or their window midway.

#include <gtest/gtest.h>

#include "AdsTestSupport.h"
#include "ClickTestSupport.h"
#include "ads/PennantViewInternal.h"
#include "ads/destinations/PennantModalController.h"
#include "platform/ui/Window.h"

namespace pennant {
namespace {

using platform::graphics::Point;
using platform::graphics::Rect;
using platform::ui::TouchPhase;

// A presentation with a plain content view, as the browser and the canvas
// build theirs.
class TestModal : public PennantModalController {
 public:
  TestModal() : PennantModalController("test", &PennantDelegate::willPresentWebView, &PennantDelegate::didDismissWebView) {}
  void present(const std::shared_ptr<PennantView>& adView) {
    content = platform::ui::View::create({{10, 100}, {300, 200}});
    setModalView(content);
    presentModalFromView(adView);
  }
  std::shared_ptr<platform::ui::View> content;
};

// Writes down each notification with whether a backdrop was on the screen
// at that moment.
class WatchingHost : public PennantDelegate {
 public:
  std::optional<std::string> publisherId() override { return "p"; }
  void willPresentWebView() override { notes.push_back(std::string("will-present ") + (backdropShown() ? "over" : "before")); }
  void didDismissWebView() override { notes.push_back(std::string("did-dismiss ") + (backdropShown() ? "over" : "after")); }
  bool backdropShown() const {
    for (const auto& view : window->subviews()) {
      if (std::dynamic_pointer_cast<PennantModalBackground>(view)) return true;
    }
    return false;
  }
  std::shared_ptr<platform::ui::Window> window;
  std::vector<std::string> notes;
};

class PennantModalControllerTest : public ::testing::Test {
 protected:
  PennantModalControllerTest() {
    // The banner as the app places it: at the bottom of a navigation view
    // that starts under the status bar.
    window->makeKeyAndVisible();
    navigation->addSubview(adView);
    window->addSubview(navigation);
    host->window = window;
    modal->setPennantDelegate(host);
    PennantModalController::setObserver([this](const std::string& event, const std::string&, const std::string& outcome) {
      journal.push_back(at() + " " + event + (outcome.empty() ? "" : " " + outcome));
    });
  }
  ~PennantModalControllerTest() override { PennantModalController::setObserver(nullptr); }

  std::string at() {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", loop.loop().now() - start);
    return text;
  }
  void present() {
    start = loop.loop().now();
    modal->present(adView);
  }
  void advanceTo(double t) {
    loop.loop().advanceBy(start + t - loop.loop().now());
    loop.loop().runPending();
  }
  std::shared_ptr<PennantModalBackground> backdrop() const {
    for (const auto& view : window->subviews()) {
      if (auto found = std::dynamic_pointer_cast<PennantModalBackground>(view)) return found;
    }
    return nullptr;
  }
  // A finger down and up at a window point.
  void tap(Point point) {
    if (window->sendTouch(TouchPhase::Began, point)) window->sendTouch(TouchPhase::Ended, point);
  }
  Rect shownFrame() { return backdrop()->presentationFrame(loop.loop().now()); }

  testing::TestLoop loop;
  double start = 0;
  std::shared_ptr<platform::ui::Window> window = platform::ui::Window::create({{0, 0}, {320, 480}});
  std::shared_ptr<platform::ui::View> navigation = platform::ui::View::create({{0, 20}, {320, 460}});
  std::shared_ptr<PennantView> adView = PennantViewInternal::create({{0, 412}, {320, 48}});
  std::shared_ptr<WatchingHost> host = std::make_shared<WatchingHost>();
  std::shared_ptr<TestModal> modal = std::make_shared<TestModal>();
  std::vector<std::string> journal;
};

const Rect kBannerInWindow{{0, 432}, {320, 48}};
const Rect kApplicationFrame{{0, 20}, {320, 460}};
const Point kOnBackdrop{160, 60};   // above the content
const Point kOnContent{160, 250};   // inside the content (10, 120 .. 310, 320 in the window)

TEST_F(PennantModalControllerTest, TheChainGrowsFromTheBannerFadesInAndBackAtItsTimes) {
  present();
  auto backdrop = this->backdrop();
  ASSERT_TRUE(backdrop);
  EXPECT_EQ(backdrop->initialFrame(), kBannerInWindow);
  EXPECT_EQ(shownFrame(), kBannerInWindow);
  EXPECT_EQ(backdrop->backgroundColor(), platform::graphics::Color::colorWithWhiteAlpha(0.2, 0.9));
  advanceTo(0.25);
  EXPECT_GT(shownFrame().size.height, 48);
  EXPECT_LT(shownFrame().size.height, 460);
  EXPECT_FALSE(modal->content->superview());
  advanceTo(0.5);
  EXPECT_EQ(shownFrame(), kApplicationFrame);
  EXPECT_EQ(modal->content->superview(), backdrop);
  EXPECT_TRUE(modal->presentationAnimationInProgress());
  advanceTo(0.6);
  EXPECT_GT(modal->content->presentationAlpha(loop.loop().now()), 0.2);
  EXPECT_LT(modal->content->presentationAlpha(loop.loop().now()), 0.8);
  advanceTo(0.7);
  EXPECT_FALSE(modal->presentationAnimationInProgress());
  EXPECT_DOUBLE_EQ(modal->content->presentationAlpha(loop.loop().now()), 1.0);

  advanceTo(1.0);
  modal->dismissModal();
  advanceTo(1.2);
  EXPECT_FALSE(modal->content->superview());
  EXPECT_FALSE(modal->modalView());
  advanceTo(1.45);
  EXPECT_TRUE(this->backdrop());
  advanceTo(1.7);
  EXPECT_FALSE(this->backdrop());
  EXPECT_EQ(backdrop->presentationFrame(loop.loop().now()), kBannerInWindow);
  EXPECT_EQ(journal, (std::vector<std::string>{"0.0 will-present", "0.7 presented", "1.0 dismiss-requested start",
                                               "1.7 dismissed"}));
  EXPECT_EQ(host->notes, (std::vector<std::string>{"will-present before", "did-dismiss after"}));
}

TEST_F(PennantModalControllerTest, ATapOnTheBackdropDuringThePresentationWaitsForItThenHalfASecond) {
  for (double tapAt : {0.1, 0.6}) {
    SCOPED_TRACE(tapAt);
    journal.clear();
    modal = std::make_shared<TestModal>();
    modal->setPennantDelegate(host);
    present();
    advanceTo(tapAt);
    tap(kOnBackdrop);
    tap(kOnBackdrop);
    modal->dismissModal();
    EXPECT_TRUE(modal->dismissalRequested());
    advanceTo(1.19);
    EXPECT_FALSE(modal->dismissalAnimationInProgress());
    EXPECT_DOUBLE_EQ(modal->content->presentationAlpha(loop.loop().now()), 1.0);
    advanceTo(3.0);
    EXPECT_FALSE(backdrop());
    const std::string t = tapAt < 0.5 ? "0.1" : "0.6";
    EXPECT_EQ(journal, (std::vector<std::string>{"0.0 will-present", t + " dismiss-requested defer",
                                                 t + " dismiss-requested defer", t + " dismiss-requested defer",
                                                 "0.7 presented", "1.2 dismiss-requested start", "1.9 dismissed"}));
  }
  EXPECT_EQ(host->notes, (std::vector<std::string>{"will-present before", "did-dismiss after", "will-present before",
                                                   "did-dismiss after"}));
}

TEST_F(PennantModalControllerTest, TapsOnTheContentNeverDismissAndTapsWhileItGoesChangeNothing) {
  present();
  for (double t : {0.6, 0.8, 2.0}) {
    advanceTo(t);
    tap(kOnContent);
  }
  EXPECT_FALSE(modal->dismissalRequested());
  EXPECT_EQ(journal, (std::vector<std::string>{"0.0 will-present", "0.7 presented"}));

  // A tap on the backdrop while it is shown starts the dismissal at once;
  // more requests during the fade-out and the shrink are ignored.
  tap(kOnBackdrop);
  advanceTo(2.1);
  modal->dismissModal();
  tap(kOnBackdrop);
  advanceTo(2.5);
  tap({160, 456});  // the backdrop is on its way back to the banner
  modal->dismissModal();
  advanceTo(5.0);
  EXPECT_EQ(journal, (std::vector<std::string>{"0.0 will-present", "0.7 presented", "2.0 dismiss-requested start",
                                               "2.1 dismiss-requested ignore", "2.1 dismiss-requested ignore",
                                               "2.5 dismiss-requested ignore", "2.5 dismiss-requested ignore",
                                               "2.7 dismissed"}));
  EXPECT_EQ(host->notes, (std::vector<std::string>{"will-present before", "did-dismiss after"}));
  // Once done, the controller stays done.
  modal->dismissModal();
  advanceTo(7.0);
  EXPECT_EQ(host->notes.size(), 2u);
  EXPECT_FALSE(backdrop());
}

TEST_F(PennantModalControllerTest, AControllerLetGoOfMidwayStillFinishesItsPresentation) {
  std::weak_ptr<TestModal> watched = modal;
  present();
  advanceTo(0.2);
  tap(kOnBackdrop);
  modal.reset();  // the ad controller opened a newer one
  ASSERT_FALSE(watched.expired());
  advanceTo(1.5);
  ASSERT_FALSE(watched.expired());
  EXPECT_TRUE(watched.lock()->dismissalAnimationInProgress());
  advanceTo(2.0);
  EXPECT_FALSE(backdrop());
  EXPECT_TRUE(watched.expired());
  EXPECT_EQ(host->notes, (std::vector<std::string>{"will-present before", "did-dismiss after"}));
}

TEST_F(PennantModalControllerTest, AnAdViewInNoWindowPresentsNothing) {
  testing::LogCapture log;
  adView->removeFromSuperview();
  present();
  modal->dismissModal();
  advanceTo(3.0);
  EXPECT_FALSE(backdrop());
  EXPECT_TRUE(host->notes.empty());
  EXPECT_EQ(log.lines(), std::vector<std::string>{"Pennant: cannot present the test: the ad view is in no window"});
  EXPECT_EQ(journal, std::vector<std::string>{"0.0 dismiss-requested ignore"});
}

TEST_F(PennantModalControllerTest, AWindowThatGoesTakesThePresentationWithItWhateverIsPending) {
  // A deferred dismissal waits on its timer when the window goes.
  present();
  advanceTo(0.1);
  tap(kOnBackdrop);
  advanceTo(0.8);
  std::weak_ptr<TestModal> watched = modal;
  std::weak_ptr<PennantModalBackground> backdrop = this->backdrop();
  modal.reset();
  host->window.reset();
  window.reset();
  navigation.reset();
  EXPECT_TRUE(watched.expired());
  EXPECT_TRUE(backdrop.expired());
  advanceTo(3.0);  // the timer and any animation callbacks find nobody
  EXPECT_EQ(host->notes, std::vector<std::string>{"will-present before"});
}

}  // namespace
}  // namespace pennant
