#pragma once
// The embedded browser: a modal presentation whose content is a web page
// between two bars. The top bar shows the page's title (empty while a page
// loads, with a white spinner in the middle) and Done; the bottom toolbar
// has back and forward (their icons from the image cache, enabled by the
// page's history), stop while a page loads or reload otherwise, and the
// action button, whose sheet offers "Launch Safari" (the page in the
// system's browser) and "Email link" (a new message with the page's title
// and address). Each request the page makes passes the link rules
// (PennantLinkRules): some go to the system, local files never load.
//
//   auto browser = PennantBrowserController::init();
//   browser->setPennantDelegate(host);
//   browser->presentBrowserFromViewUrl(adView, url);   // loads while the backdrop grows
//
// A load that fails shows "Whoops" with a message chosen by the error's
// code (none for a cancelled load). A page the link rules handed to the
// system is the system's to show: when the engine then cannot load it
// itself (a "mailto:" or "tel:" link, a map site while offline), no alert
// is shown for it.
//
// Every dismissal request keeps the web view alive for another 10 seconds,
// even after the controller has gone; the controller is its delegate only
// while it lives.
//
// Ownership: the controller owns the web view, both bars and the spinner;
// the top bar holds its navigation item; the items' actions capture the
// controller and the web view weakly. The action sheet and the error
// alerts belong to the platform while they show.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ads/destinations/PennantLinkRules.h"
#include "ads/destinations/PennantModalController.h"
#include "platform/foundation/Url.h"
#include "platform/ui/ActionSheetDelegate.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/Toolbar.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"

namespace pennant {

class PennantBrowserController : public PennantModalController,
                                 public platform::web::WebViewDelegate,
                                 public platform::ui::ActionSheetDelegate {
  struct Passkey {};

 public:
  static constexpr double kBarHeight = 44;
  static constexpr double kSpinnerSize = 20;
  static constexpr double kWebViewKeepAlive = 10.0;
  static constexpr const char* kTitleScript = "document.title";
  // The action sheet's buttons, by index.
  static constexpr int kLaunchSafariButton = 0;
  static constexpr int kEmailLinkButton = 1;

  // Told of every link-rule decision: the URL and "load", "refuse" or
  // "system".
  using LinkRuleObserver = std::function<void(const std::string& url, const std::string& decision)>;

  static std::shared_ptr<PennantBrowserController> init();
  // The toolbar's icon names, in the order the ad fetches them.
  static std::vector<std::string> browserIcons();
  ~PennantBrowserController() override;

  // Builds the views, starts loading `url` (null loads nothing) and
  // presents the browser.
  void presentBrowserFromViewUrl(const std::shared_ptr<PennantView>& adView,
                                 const std::shared_ptr<const platform::Url>& url);

  void refreshTopToolbar();
  void refreshBottomToolbar();
  // A plain image button with the cached image of the first name when
  // enabled, of the second otherwise (no image when the cache has none).
  static std::shared_ptr<platform::ui::BarButtonItem> barButtonItemWithImageNameDisabledImageNameIsEnabledAction(
      std::string_view imageName, std::string_view disabledImageName, bool isEnabled,
      platform::ui::BarButtonItem::Action action);

  void systemAction();
  void actionSheetClickedButtonAtIndex(platform::ui::ActionSheet& actionSheet, int buttonIndex) override;
  void launchSafari();
  void mail();

  void dismissModal() override;

  bool webViewShouldStartLoadWithRequest(platform::web::WebView& webView, const platform::web::WebRequest& request,
                                         platform::web::WebNavigationType navigationType) override;
  void webViewDidStartLoad(platform::web::WebView& webView) override;
  void webViewDidFinishLoad(platform::web::WebView& webView) override;
  void webViewDidFailLoadWithError(platform::web::WebView& webView, const platform::Error& error) override;

  // The English text (a localizer key) of the message for a load error's
  // code; nullopt for a cancelled load, which shows nothing.
  static std::optional<std::string> messageKeyForErrorCode(int code);

  const std::shared_ptr<platform::web::WebView>& webView() const { return webView_; }
  const std::shared_ptr<platform::ui::NavigationBar>& topToolbar() const { return topToolbar_; }
  const std::shared_ptr<platform::ui::Toolbar>& bottomToolbar() const { return bottomToolbar_; }
  const std::shared_ptr<platform::ui::ActivityIndicatorView>& spinner() const { return spinner_; }

  static void setLinkRuleObserver(LinkRuleObserver observer);

  explicit PennantBrowserController(Passkey);

 private:
  std::shared_ptr<PennantBrowserController> self();
  void refreshBars();
  std::shared_ptr<platform::ui::BarButtonItem> systemItem(int item, std::function<void()> action) const;

  std::shared_ptr<platform::web::WebView> webView_;
  std::shared_ptr<platform::ui::Toolbar> bottomToolbar_;
  std::shared_ptr<platform::ui::NavigationBar> topToolbar_;
  std::weak_ptr<platform::ui::NavigationItem> topNavItem_;
  std::shared_ptr<platform::ui::ActivityIndicatorView> spinner_;
  PennantLinkRules linkRules_;
  // The last URL the link rules handed to the system.
  std::string handedToSystem_;
};

}  // namespace pennant
