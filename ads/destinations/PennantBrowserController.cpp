#include "ads/destinations/PennantBrowserController.h"

#include <algorithm>

#include "ads/PennantImageCache.h"
#include "ads/PennantLocalizer.h"
#include "ads/destinations/PennantBrowserIcons.h"
#include "platform/foundation/MailtoURL.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/ActionSheet.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/web/WebLoadError.h"

namespace pennant {

namespace {

using platform::ui::BarButtonItem;
using platform::web::WebLoadError;

PennantBrowserController::LinkRuleObserver& linkRuleObserver() {
  static auto* observer = new PennantBrowserController::LinkRuleObserver();
  return *observer;
}

std::string localized(const std::string& key) { return PennantLocalizer::sharedLocalizer().localizedStringForKey(key); }

void openInSystem(const std::string& urlText) {
  platform::ui::Application::sharedApplication().openURL(platform::Url::URLWithString(urlText));
}

bool isIn(int code, std::initializer_list<int> codes) { return std::find(codes.begin(), codes.end(), code) != codes.end(); }

// The platform's codes of the download-file errors and of the secure
// connection errors, each a range of its own.
constexpr int kFirstDownloadFileError = -3005, kLastDownloadFileError = -3000;
constexpr int kFirstSecureConnectionError = -1204, kLastSecureConnectionError = -1200;
// Codes the platform's URL loading has that our web view does not report,
// named so the table reads as the platform's.
constexpr int kResourceUnavailable = -1008;
constexpr int kCannotLoadFromNetwork = -2000;
constexpr int kFileIsDirectory = -1101;

}  // namespace

std::shared_ptr<PennantBrowserController> PennantBrowserController::init() {
  return std::make_shared<PennantBrowserController>(Passkey{});
}

PennantBrowserController::PennantBrowserController(Passkey)
    : PennantModalController("browser", &PennantDelegate::willPresentWebView, &PennantDelegate::didDismissWebView) {}

PennantBrowserController::~PennantBrowserController() {
  // The web view may outlive the controller (the keep-alive after a
  // dismissal); it must not report to it then.
  if (webView_) webView_->setDelegate({});
}

std::vector<std::string> PennantBrowserController::browserIcons() {
  return {kBrowserIcons.begin(), kBrowserIcons.end()};
}

void PennantBrowserController::setLinkRuleObserver(LinkRuleObserver observer) {
  linkRuleObserver() = std::move(observer);
}

std::shared_ptr<PennantBrowserController> PennantBrowserController::self() {
  return std::static_pointer_cast<PennantBrowserController>(shared_from_this());
}

void PennantBrowserController::presentBrowserFromViewUrl(const std::shared_ptr<PennantView>& adView,
                                                         const std::shared_ptr<const platform::Url>& url) {
  const platform::graphics::Size size = platform::ui::Screen::mainScreen().applicationFrame().size;
  const double w = size.width, h = size.height;

  // The page starts loading before anything shows; its first request
  // already passes the link rules.
  if (webView_) webView_->setDelegate({});
  linkRules_ = PennantLinkRules::fromMainBundle();
  webView_ = platform::web::WebView::create({{0, kBarHeight}, {w, h - 2 * kBarHeight}});
  webView_->setDelegate(self());
  webView_->setScalesPageToFit(true);
  if (url) webView_->loadRequest(platform::web::WebRequest(url->absoluteString()));

  auto content = platform::ui::View::create({{0, 0}, {w, h}});
  setModalView(content);

  bottomToolbar_ = std::make_shared<platform::ui::Toolbar>();
  bottomToolbar_->initWithFrame({{0, h - kBarHeight}, {w, kBarHeight}});
  topToolbar_ = std::make_shared<platform::ui::NavigationBar>();
  topToolbar_->initWithFrame({{0, 0}, {w, kBarHeight}});
  if (auto host = pennantDelegate()) {
    if (auto style = host->embeddedWebViewBarStyle()) {
      bottomToolbar_->setBarStyle(*style);
      topToolbar_->setBarStyle(*style);
    }
    if (auto tint = host->embeddedWebViewTintColor()) {
      bottomToolbar_->setTintColor(*tint);
      topToolbar_->setTintColor(*tint);
    }
  }
  auto item = platform::ui::NavigationItem::initWithTitle("");
  topToolbar_->setItemsAnimated({item}, false);
  topNavItem_ = item;

  refreshBars();
  content->addSubview(bottomToolbar_);
  content->addSubview(topToolbar_);
  content->addSubview(webView_);

  presentModalFromView(adView);
}

void PennantBrowserController::refreshBars() {
  refreshBottomToolbar();
  refreshTopToolbar();
}

std::shared_ptr<BarButtonItem> PennantBrowserController::systemItem(int item, std::function<void()> action) const {
  return BarButtonItem::initWithBarButtonSystemItemTargetAction(item, [action = std::move(action)](BarButtonItem&) {
    if (action) action();
  });
}

std::shared_ptr<BarButtonItem> PennantBrowserController::barButtonItemWithImageNameDisabledImageNameIsEnabledAction(
    std::string_view imageName, std::string_view disabledImageName, bool isEnabled, BarButtonItem::Action action) {
  auto image = PennantImageCache::sharedCache().fetchImageNamed(isEnabled ? imageName : disabledImageName);
  auto item = BarButtonItem::initWithImageStyleTargetAction(std::move(image), BarButtonItem::kStylePlain,
                                                            std::move(action));
  item->setEnabled(isEnabled);
  return item;
}

void PennantBrowserController::refreshBottomToolbar() {
  if (!bottomToolbar_ || !webView_) return;
  std::weak_ptr<platform::web::WebView> web = webView_;
  auto back = barButtonItemWithImageNameDisabledImageNameIsEnabledAction(
      kBrowserIcons[0], kBrowserIcons[1], webView_->canGoBack(), [web](BarButtonItem&) {
        if (auto view = web.lock()) view->goBack();
      });
  auto forward = barButtonItemWithImageNameDisabledImageNameIsEnabledAction(
      kBrowserIcons[2], kBrowserIcons[3], webView_->canGoForward(), [web](BarButtonItem&) {
        if (auto view = web.lock()) view->goForward();
      });
  auto space = systemItem(BarButtonItem::kSystemItemFlexibleSpace, nullptr);
  auto reloadOrStop = webView_->isLoading() ? systemItem(BarButtonItem::kSystemItemStop,
                                                         [web] {
                                                           if (auto view = web.lock()) view->stopLoading();
                                                         })
                                            : systemItem(BarButtonItem::kSystemItemRefresh, [web] {
                                                if (auto view = web.lock()) view->reload();
                                              });
  std::weak_ptr<PennantBrowserController> weak = self();
  auto action = systemItem(BarButtonItem::kSystemItemAction, [weak] {
    if (auto browser = weak.lock()) browser->systemAction();
  });
  bottomToolbar_->setItemsAnimated({back, space, forward, space, reloadOrStop, space, action}, false);
}

void PennantBrowserController::refreshTopToolbar() {
  auto item = topNavItem_.lock();
  if (!item || !topToolbar_ || !webView_) return;
  std::weak_ptr<PennantBrowserController> weak = self();
  item->setLeftBarButtonItem(systemItem(BarButtonItem::kSystemItemDone, [weak] {
    if (auto browser = weak.lock()) browser->dismissModal();
  }));

  std::string title;
  if (webView_->isLoading()) {
    // However often the bars are refreshed during a load, one spinner
    // shows.
    if (!spinner_) {
      spinner_ = platform::ui::ActivityIndicatorView::initWithActivityIndicatorStyle(
          platform::ui::ActivityIndicatorView::kStyleWhite);
      spinner_->startAnimating();
      const auto bar = topToolbar_->frame().size;
      spinner_->setFrame({{(bar.width - kSpinnerSize) / 2, (bar.height - kSpinnerSize) / 2},
                          {kSpinnerSize, kSpinnerSize}});
      topToolbar_->addSubview(spinner_);
    }
  } else {
    title = webView_->stringByEvaluatingJavaScriptFromString(kTitleScript);
    if (spinner_) {
      spinner_->removeFromSuperview();
      spinner_.reset();
    }
  }
  item->setTitle(title);
}

void PennantBrowserController::systemAction() {
  auto sheet = platform::ui::ActionSheet::create(std::nullopt, self(), localized("Cancel"), std::nullopt,
                                                 {localized("Launch Safari"), localized("Email link")});
  sheet->showFromToolbar(bottomToolbar_);
}

void PennantBrowserController::actionSheetClickedButtonAtIndex(platform::ui::ActionSheet&, int buttonIndex) {
  if (buttonIndex == kLaunchSafariButton) {
    launchSafari();
  } else if (buttonIndex == kEmailLinkButton) {
    mail();
  }
}

void PennantBrowserController::launchSafari() {
  auto request = webView_ ? webView_->request() : std::nullopt;
  if (request) openInSystem(request->url());
}

void PennantBrowserController::mail() {
  if (!webView_) return;
  const std::string title = webView_->stringByEvaluatingJavaScriptFromString(kTitleScript);
  auto request = webView_->request();
  openInSystem(platform::MailtoURL::withSubjectBody(title, request ? request->url() : ""));
}

void PennantBrowserController::dismissModal() {
  // The page may still be reporting to the web view; it lives on a while,
  // on every request, whatever becomes of the request itself.
  if (webView_) platform::RunLoop::current().performAfterDelay(kWebViewKeepAlive, [keep = webView_] {});
  PennantModalController::dismissModal();
}

bool PennantBrowserController::webViewShouldStartLoadWithRequest(platform::web::WebView&,
                                                                 const platform::web::WebRequest& request,
                                                                 platform::web::WebNavigationType) {
  const auto decision = linkRules_.decisionForURL(request.url());
  if (linkRuleObserver()) linkRuleObserver()(request.url(), PennantLinkRules::nameOfDecision(decision));
  switch (decision) {
    case PennantLinkRules::Decision::Refuse:
      return false;
    case PennantLinkRules::Decision::System:
      handedToSystem_ = request.url();
      openInSystem(request.url());
      // Not stopped: the web view goes on as the platform's would.
      return true;
    case PennantLinkRules::Decision::Load:
      return true;
  }
  return true;
}

void PennantBrowserController::webViewDidStartLoad(platform::web::WebView&) { refreshBars(); }

void PennantBrowserController::webViewDidFinishLoad(platform::web::WebView&) { refreshBars(); }

void PennantBrowserController::webViewDidFailLoadWithError(platform::web::WebView& webView,
                                                           const platform::Error& error) {
  refreshBars();
  const auto key = messageKeyForErrorCode(error.code);
  if (!key) return;
  if (!handedToSystem_.empty() && webView.failingURL() == handedToSystem_) return;
  platform::ui::AlertView::create(localized("Whoops"), localized(*key), {}, localized("Ok"), {})->show();
}

std::optional<std::string> PennantBrowserController::messageKeyForErrorCode(int code) {
  if (code == WebLoadError::kCancelled) return std::nullopt;
  if (isIn(code, {WebLoadError::kBadURL, WebLoadError::kUnsupportedURL})) return "That page is not supported.";
  if (isIn(code, {WebLoadError::kTimedOut, WebLoadError::kCannotConnectToHost, WebLoadError::kNetworkConnectionLost,
                  kResourceUnavailable, WebLoadError::kNotConnectedToInternet, kCannotLoadFromNetwork})) {
    return "Couldn't connect to that page.";
  }
  if (isIn(code, {WebLoadError::kFileDoesNotExist, kFileIsDirectory}) ||
      (code >= kFirstDownloadFileError && code <= kLastDownloadFileError)) {
    return "That file can't be displayed.";
  }
  if (code == WebLoadError::kDataLengthExceedsMaximum) return "That page is too large to load.";
  if (code >= kFirstSecureConnectionError && code <= kLastSecureConnectionError) return "That page is not secure.";
  return "That page could not be loaded.";
}

}  // namespace pennant
