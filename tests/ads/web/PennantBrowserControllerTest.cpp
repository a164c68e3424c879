// The embedded browser on real pages from a loopback server: its bars while
// and after pages load, the link rules on links, frames and the first URL,
// load errors and their localized messages, the action sheet with its two
// actions, and the web view that outlives a dismissal by ten seconds.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "ads/PennantImageCache.h"
#include "ads/PennantLocalizer.h"
#include "ads/destinations/PennantBrowserController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/ui/ActionSheet.h"
#include "tests/ads/web/WebDestinationsTestSupport.h"
#include "tests/platform/graphics/TestImages.h"
#include "tests/platform/web/SelfSignedCertificate.h"

namespace pennant::webtest {
namespace {

using platform::ui::ActivityIndicatorView;
using platform::ui::BarButtonItem;

// Translations of the browser's texts; the others stay English.
constexpr const char* kTranslations = R"("Whoops" = "Oops!";
"Ok" = "Got it";
"Couldn't connect to that page." = "No connection to that page.";
"Launch Safari" = "Open in browser";
"Email link" = "Mail the link";
"Cancel" = "Never mind";
)";

// Link rules whose hosts are loopback addresses nothing listens on, so a
// page handed to the system fails at once when the browser loads it too.
constexpr const char* kLoopbackRules = R"("MapHostPrefixes" = ("127.3.", "maps.unused.");
"VideoHosts" = ("127.2.0.1", "video.unused");
"StoreHostPrefixes" = ("127.1.", "ax.127.1.", "store.unused.", "ax.store.unused.");
)";

class BrowserTest : public WebDestinationsTest {
 protected:
  static void SetUpTestSuite() {
    pennant::testing::testHome();
    // The localizer reads its table at the first lookup of the process.
    std::ofstream(PennantLocalizer::localizationCacheDirectory() + "/en.strings") << kTranslations;
    // Icons of different widths, to tell which one a button shows.
    int width = 10;
    for (const auto& name : PennantBrowserController::browserIcons()) {
      auto bytes = testimages::encode("png", width++, 10, testimages::checker);
      PennantImageCache::sharedCache().storeImageWithName(
          platform::graphics::Image::imageWithData(std::span<const std::uint8_t>(bytes)), name);
    }
  }

  void SetUp() override {
    auto& s = server_.server;
    s.Get("/first", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("First page", "<a id='next' href='/second'>next</a>"), "text/html");
    });
    s.Get("/second", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      res.set_content(page("Second page", "second"), "text/html");
    });
    s.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content(page("Not here", "404"), "text/html");
    });
    s.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      res.set_content(page("Slow", "slow"), "text/html");
    });
    s.Get("/to-file", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("file:///etc/passwd"); });
    s.Get("/shop", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Shoes &amp; Socks = 100% ?#", "shop"), "text/html");
    });
    s.Get("/links", [this](const httplib::Request&, httplib::Response& res) {
      const std::string port = std::to_string(server_.port());
      res.set_content(page("Links", "<a id='maps' href='http://127.3.0.1:" + port + "/maps?q=x'>m</a>"
                                    "<a id='watch' href='http://127.2.0.1:" + port + "/watch?v=1'>w</a>"
                                    "<a id='video' href='http://127.2.0.1:" + port + "/user/x'>v</a>"
                                    "<a id='store' href='http://127.1.0.1:" + port + "/app/1'>s</a>"
                                    "<a id='mail' href='mailto:shop@stride.example?subject=Hi'>e</a>"
                                    "<a id='tel' href='tel:+15555550123'>t</a>"
                                    "<a id='file' href='file:///etc/passwd'>f</a>"
                                    "<a id='newwindow' target='_blank' href='file:///etc/hostname'>n</a>"
                                    "<a id='redirect' href='/to-file'>r</a>"
                                    "<a id='about' href='about:blank'>a</a>"),
                      "text/html");
    });
    s.Get("/framed", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(page("Framed", "<iframe src='http://127.3.0.1:" + std::to_string(server_.port()) +
                                         "/maps?frame=1'></iframe><iframe src='file:///etc/passwd'></iframe>"),
                      "text/html");
    });
    startServer();
    PennantBrowserController::setLinkRuleObserver([this](const std::string& url, const std::string& decision) {
      linkRules_.push_back(decision + " " + url);
    });
  }
  void TearDown() override {
    PennantBrowserController::setLinkRuleObserver(nullptr);
    platform::Bundle::mainBundle().setResourcePath(std::nullopt);
  }

  void useLoopbackRules() {
    const std::string folder = pennant::testing::testHome() + "/browser-bundle";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/link-rules.strings") << kLoopbackRules;
    platform::Bundle::mainBundle().setResourcePath(folder);
  }

  void present(const std::string& path) { presentURL(url(path)); }
  void presentURL(const std::shared_ptr<const platform::Url>& destination) {
    browser_ = PennantBrowserController::init();
    browser_->setPennantDelegate(host_);
    browser_->presentBrowserFromViewUrl(adView_, destination);
  }
  std::string eval(const std::string& script) {
    return browser_->webView()->stringByEvaluatingJavaScriptFromString(script);
  }
  void click(const std::string& id) {
    eval("document.getElementById('" + id + "').click(); 1");
    waitForPages();
  }

  // What the bars show now.
  std::string title() { return browser_->topToolbar()->topItem()->title(); }
  int spinners() {
    int count = 0;
    for (const auto& view : browser_->topToolbar()->subviews()) {
      count += std::dynamic_pointer_cast<ActivityIndicatorView>(view) != nullptr;
    }
    return count;
  }
  const std::vector<std::shared_ptr<BarButtonItem>>& items() { return browser_->bottomToolbar()->items(); }
  // "stop" or "refresh" for the fifth item.
  std::string reloadOrStop() {
    const auto item = items().at(4)->systemItem();
    return item == BarButtonItem::kSystemItemStop ? "stop" : item == BarButtonItem::kSystemItemRefresh ? "refresh" : "?";
  }
  // Each history button: enabled or not, and the width of its icon (10
  // back, 11 back_disable, 12 forward, 13 forward_disable).
  std::string history() {
    auto describe = [](const BarButtonItem& item) {
      return std::string(item.isEnabled() ? "on:" : "off:") +
             (item.image() ? std::to_string(item.image()->pixelWidth()) : "none");
    };
    return describe(*items().at(0)) + " " + describe(*items().at(2));
  }
  void tapBottomItem(std::size_t index) {
    auto bar = browser_->bottomToolbar();
    const auto frame = bar->convertRectToView(bar->itemFrames().at(index), nullptr);
    tap({frame.midX(), frame.midY()});
  }
  void tapDone() {
    auto bar = browser_->topToolbar();
    const auto frame = bar->convertRectToView(*bar->leftButtonFrame(), nullptr);
    tap({frame.midX(), frame.midY()});
  }
  std::string shownURL() {
    auto request = browser_->webView()->request();
    return request ? request->url() : "";
  }

  std::shared_ptr<PennantBrowserController> browser_;
  std::vector<std::string> linkRules_;
};

TEST_F(BrowserTest, TheBarsFollowEveryLoad) {
  host_->barStyle = 2;
  host_->tint = platform::graphics::Color{0.5, 0.1, 0.1, 1};
  present("/first");
  EXPECT_EQ(host_->notes, std::vector<std::string>{"will-present browser"});
  EXPECT_EQ(browser_->topToolbar()->barStyle(), 2);
  EXPECT_EQ(browser_->bottomToolbar()->barStyle(), 2);
  EXPECT_EQ(browser_->bottomToolbar()->tintColor(), host_->tint);
  EXPECT_EQ(browser_->topToolbar()->tintColor(), host_->tint);
  EXPECT_EQ(browser_->modalView()->frame(), (platform::graphics::Rect{{0, 0}, {320, 460}}));
  EXPECT_EQ(browser_->webView()->frame(), (platform::graphics::Rect{{0, 44}, {320, 372}}));
  EXPECT_EQ(browser_->bottomToolbar()->frame(), (platform::graphics::Rect{{0, 416}, {320, 44}}));
  // Loading from the start: no title, one spinner in the middle of the bar,
  // stop, and no history yet.
  EXPECT_EQ(title(), "");
  EXPECT_EQ(spinners(), 1);
  EXPECT_EQ(browser_->spinner()->frame(), (platform::graphics::Rect{{150, 12}, {20, 20}}));
  EXPECT_EQ(reloadOrStop(), "stop");
  EXPECT_EQ(history(), "off:11 off:13");
  ASSERT_EQ(items().size(), 7u);
  EXPECT_EQ(items()[6]->systemItem(), BarButtonItem::kSystemItemAction);
  EXPECT_EQ(items()[1], items()[3]);

  advance(0.7);
  EXPECT_EQ(title(), "First page");
  EXPECT_EQ(spinners(), 0);
  EXPECT_FALSE(browser_->spinner());
  EXPECT_EQ(reloadOrStop(), "refresh");

  // A slow second page: the bars show the load however often they are
  // refreshed meanwhile.
  eval("document.getElementById('next').click(); 1");
  ASSERT_TRUE(spinUntil([&] { return spinners() > 0; }));
  browser_->refreshTopToolbar();
  browser_->refreshTopToolbar();
  EXPECT_EQ(spinners(), 1);
  EXPECT_EQ(title(), "");
  EXPECT_EQ(reloadOrStop(), "stop");
  waitForPages();
  EXPECT_EQ(title(), "Second page");
  EXPECT_EQ(spinners(), 0);
  EXPECT_EQ(history(), "on:10 off:13");

  // The toolbar's back button, as a finger works it.
  tapBottomItem(0);
  waitForPages();
  EXPECT_EQ(title(), "First page");
  EXPECT_EQ(history(), "off:11 on:12");
  tapBottomItem(2);
  waitForPages();
  EXPECT_EQ(title(), "Second page");
  EXPECT_TRUE(takeAlerts().empty());
}

TEST_F(BrowserTest, EveryRequestOfThePageAndItsFramesPassesTheLinkRules) {
  useLoopbackRules();
  present("/links");
  advance(0.7);
  const std::string port = std::to_string(server_.port());
  struct Case {
    std::string link;
    std::string decision;  // of the link's own request
    bool opened;
    std::vector<std::string> alerts;
  };
  const std::vector<Case> cases = {
      {"maps", "system http://127.3.0.1:" + port + "/maps?q=x", true, {}},
      {"watch", "system http://127.2.0.1:" + port + "/watch?v=1", true, {}},
      {"video", "load http://127.2.0.1:" + port + "/user/x", false, {"Oops!: No connection to that page."}},
      {"store", "system http://127.1.0.1:" + port + "/app/1", true, {}},
      {"mail", "system mailto:shop@stride.example?subject=Hi", true, {}},
      {"tel", "system tel:+15555550123", true, {}},
      {"file", "refuse file:///etc/passwd", false, {}},
      {"newwindow", "refuse file:///etc/hostname", false, {}},
      {"about", "load about:blank", false, {}},
  };
  for (const auto& c : cases) {
    browser_->webView()->loadRequest(platform::web::WebRequest(server_.url("/links")));
    waitForPages();
    linkRules_.clear();
    opened_.urls.clear();
    click(c.link);
    // The engine itself may stop a page's link to a local file before
    // asking; it must never be let through.
    if (!(c.decision.starts_with("refuse") && linkRules_.empty())) {
      ASSERT_FALSE(linkRules_.empty()) << c.link;
      EXPECT_EQ(linkRules_.front(), c.decision) << c.link;
    }
    const std::string target = c.decision.substr(c.decision.find(' ') + 1);
    EXPECT_EQ(opened_.urls, c.opened ? std::vector<std::string>{target} : std::vector<std::string>{}) << c.link;
    EXPECT_EQ(takeAlerts(), c.alerts) << c.link;
    EXPECT_TRUE(shownURL().rfind("file:", 0) != 0) << c.link;
  }
  // A link that the server redirects to a local file: the engine ends the
  // page's content process rather than read the file, and the load fails.
  browser_->webView()->loadRequest(platform::web::WebRequest(server_.url("/links")));
  waitForPages();
  click("redirect");
  EXPECT_TRUE(shownURL().rfind("file:", 0) != 0) << shownURL();
  EXPECT_EQ(eval("document.documentElement ? document.documentElement.innerText : ''").find("root:"), std::string::npos);
  EXPECT_EQ(takeAlerts(), std::vector<std::string>{"Oops!: That page could not be loaded."});

  // Frames are asked about like pages.
  linkRules_.clear();
  opened_.urls.clear();
  browser_->webView()->loadRequest(platform::web::WebRequest(server_.url("/framed")));
  waitForPages();
  const std::string frame = "http://127.3.0.1:" + port + "/maps?frame=1";
  // (The engine does not even ask about the local file's frame.)
  EXPECT_EQ(linkRules_, (std::vector<std::string>{"load " + server_.url("/framed"), "system " + frame}));
  EXPECT_EQ(eval("(function(){ try { return document.querySelectorAll('iframe')[1].contentDocument.body.innerText; }"
                 " catch (e) { return 'blocked'; } })()"),
            "blocked");
  EXPECT_EQ(opened_.urls, std::vector<std::string>{frame});
  EXPECT_TRUE(takeAlerts().empty());
  EXPECT_EQ(title(), "Framed");
}

TEST_F(BrowserTest, TheClickURLItselfGoesToTheSystemAtOnceWhileTheBrowserOpens) {
  useLoopbackRules();
  const std::string maps = "http://127.3.0.1:" + std::to_string(server_.port()) + "/maps?q=bakery";
  presentURL(platform::Url::URLWithString(maps));
  settle();
  EXPECT_EQ(opened_.urls, std::vector<std::string>{maps});
  EXPECT_EQ(modalEvents_, std::vector<std::string>{"browser will-present"});
  advance(0.7);
  EXPECT_EQ(modalEvents_, (std::vector<std::string>{"browser will-present", "browser presented"}));
  EXPECT_TRUE(takeAlerts().empty());
  EXPECT_EQ(spinners(), 0);
}

TEST_F(BrowserTest, FailedLoadsSayWhyInTheUsersLanguageAndCancelledOnesSayNothing) {
  present("/first");
  advance(0.7);
  auto load = [&](const std::string& url) {
    browser_->webView()->loadRequest(platform::web::WebRequest(url));
    waitForPages();
  };
  load("http://127.0.0.1:" + std::to_string(pennant::testing::closedPort()) + "/");
  ASSERT_TRUE(shownAlert());
  EXPECT_EQ(shownAlert()->buttonTitles(), std::vector<std::string>{"Got it"});
  EXPECT_EQ(takeAlerts(), std::vector<std::string>{"Oops!: No connection to that page."});
  EXPECT_EQ(spinners(), 0);
  EXPECT_EQ(reloadOrStop(), "refresh");

  // An error page of the server is a page.
  load(server_.url("/missing"));
  EXPECT_TRUE(takeAlerts().empty());
  EXPECT_EQ(title(), "Not here");

  ::webtest::SelfSignedCertificate certificate;
  httplib::SSLServer tls(certificate.certificate(), certificate.key());
  tls.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content(page("TLS", "tls"), "text/html"); });
  const int port = tls.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { tls.listen_after_bind(); });
  while (!tls.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // Now and then the engine reports the refused certificate as a cancelled
  // load, which rightly says nothing; the certificate's own report is what
  // is checked here, so the page is asked for again when that happens.
  std::vector<std::string> alerts;
  for (int attempt = 0; attempt < 5 && alerts.empty(); ++attempt) {
    load("https://127.0.0.1:" + std::to_string(port) + "/");
    alerts = takeAlerts();
  }
  EXPECT_EQ(alerts, std::vector<std::string>{"Oops!: That page is not secure."});
  tls.stop();
  thread.join();

  // The stop button cancels a slow load: nothing to say.
  browser_->webView()->loadRequest(platform::web::WebRequest(server_.url("/slow")));
  ASSERT_TRUE(spinUntil([&] { return reloadOrStop() == "stop"; }));
  tapBottomItem(4);
  waitForPages();
  EXPECT_TRUE(takeAlerts().empty());
  EXPECT_EQ(spinners(), 0);
  EXPECT_EQ(reloadOrStop(), "refresh");
}

// The fields of a mailto URL as a mail program reads them.
std::map<std::string, std::string> mailFields(const std::string& mailto) {
  std::map<std::string, std::string> fields;
  std::string_view rest = std::string_view(mailto).substr(mailto.find('?') + 1);
  while (!rest.empty()) {
    const auto field = rest.substr(0, rest.find('&'));
    const auto equals = field.find('=');
    fields[std::string(field.substr(0, equals))] =
        platform::PercentEscapes::removingPercentEscapes(field.substr(equals + 1), platform::StringEncoding::UTF8)
            .value_or("?");
    rest.remove_prefix(std::min(rest.size(), field.size() + 1));
  }
  return fields;
}

TEST_F(BrowserTest, TheActionSheetHandsThePageToTheSystemOrMailsALinkToIt) {
  present("/shop?item=3&size=42");
  advance(0.7);
  const std::string page = server_.url("/shop?item=3&size=42");
  auto pressInSheet = [&](const std::string& title) {
    tapBottomItem(6);
    advance(0.5);
    auto sheet = std::dynamic_pointer_cast<platform::ui::ActionSheet>(platform::ui::PopupPresenter::shared().shownPopup());
    EXPECT_EQ(sheet ? sheet->buttonTitles() : std::vector<std::string>{},
              (std::vector<std::string>{"Open in browser", "Mail the link", "Never mind"}));
    EXPECT_TRUE(platform::shell::ControlPresser::press(window_, title)) << title;
    advance(0.5);
  };
  pressInSheet("Never mind");
  EXPECT_TRUE(opened_.urls.empty());
  pressInSheet("Open in browser");
  EXPECT_EQ(opened_.urls, std::vector<std::string>{page});
  pressInSheet("Mail the link");
  ASSERT_EQ(opened_.urls.size(), 2u);
  EXPECT_EQ(mailFields(opened_.urls[1]),
            (std::map<std::string, std::string>{{"subject", "Shoes & Socks = 100% ?#"}, {"body", page}}))
      << opened_.urls[1];
  EXPECT_EQ(modalEvents_, (std::vector<std::string>{"browser will-present", "browser presented"}));
}

TEST_F(BrowserTest, DoneDismissesAndTheWebViewOutlivesItsControllerByTenSeconds) {
  present("/first");
  advance(0.7);
  tap({160, 200});  // the page takes its own touches
  advance(0.3);
  tapDone();
  tapDone();
  std::weak_ptr<platform::web::WebView> web = browser_->webView();
  std::weak_ptr<PennantBrowserController> controller = browser_;
  browser_.reset();
  advance(0.7);
  EXPECT_EQ(modalEvents_, (std::vector<std::string>{"browser will-present", "browser presented",
                                                    "browser dismiss-requested start",
                                                    "browser dismiss-requested ignore", "browser dismissed"}));
  EXPECT_EQ(host_->notes, (std::vector<std::string>{"will-present browser", "did-dismiss browser"}));
  EXPECT_TRUE(controller.expired());
  advance(9.2);
  EXPECT_FALSE(web.expired());
  advance(0.2);
  EXPECT_TRUE(web.expired());
}

}  // namespace
}  // namespace pennant::webtest
