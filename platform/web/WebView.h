#pragma once
// A view that shows web pages, on the WebKitGTK engine: the platform's web
// view, for the embedded browser and the canvas.
//
//   auto web = WebView::create({{0, 44}, {320, 372}});
//   web->setDelegate(controller);            // a WebViewDelegate, held weakly
//   web->setScalesPageToFit(true);
//   web->loadRequest(WebRequest("http://127.0.0.1:8080/"));
//   ... webViewDidFinishLoad(*web) ...
//   std::string title = web->stringByEvaluatingJavaScriptFromString("document.title");
//
// Every navigation is offered to the delegate first (see WebViewDelegate);
// pages open no second window (a new-window request loads in this view,
// through the delegate), download nothing, get no answer from a person to
// alert/confirm/prompt (see WebPageGuards), and never reach local files: no
// "file:" URL is loaded, whatever the route (loadRequest, a link, a
// redirect, a frame, a new window), even when the delegate allows it.
//
// Where the page shows: in the desktop window the engine's own widget sits
// above our drawing at the view's frame and takes the mouse and keyboard
// itself (WebViewHost places it); headless, the page lives in an offscreen
// window of the engine's, and drawRect paints the engine's snapshot of it,
// so screenshots show real pages. A headless finger on the view becomes
// mouse events on the page.
//
// Time: while a page loads (WebLoadTracker), the run loop counts work in
// flight, so simulated time waits for it (up to the loop's cap); each load
// also has a real-time limit, the request's time-out (60 s by default).
//
// Without a display for the engine (none set and no Xvfb to start, see
// WebRuntime), the view is inert: every load fails with code -1 and the
// reason, logged each time.
//
// Ownership: as any view; the delegate is weak; the engine's widget and
// offscreen window belong to the view and go with it.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"
#include "platform/web/WebEngineView.h"
#include "platform/web/WebEventQueue.h"
#include "platform/web/WebLoadTracker.h"
#include "platform/web/WebRequest.h"
#include "platform/web/WebSnapshot.h"
#include "platform/web/WebViewDelegate.h"

namespace platform::web {

class WebView : public ui::View, private WebEngineView::Client {
 public:
  // A load's journal line: event "start", "finish" or "fail", the URL, and
  // the error code of a failure.
  using LoadObserver = std::function<void(const std::string& event, const std::string& url, std::optional<int> code)>;

  // Zoom limits of scale-to-fit: pages are shrunk to the view's width, but
  // never below this.
  static constexpr double kMinimumFitZoom = 0.2;

  static std::shared_ptr<WebView> create(graphics::Rect frame);
  WebView();
  ~WebView() override;

  void initWithFrame(graphics::Rect frame) override;

  void setDelegate(std::weak_ptr<WebViewDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<WebViewDelegate> delegate() const { return delegate_.lock(); }

  void loadRequest(const WebRequest& request);
  bool isLoading() const { return tracker_ && tracker_->isLoading(); }
  bool canGoBack() const { return engine_ && engine_->canGoBack(); }
  bool canGoForward() const { return engine_ && engine_->canGoForward(); }
  void goBack();
  void goForward();
  void reload();
  // A load in flight ends with a failure -999 (cancelled).
  void stopLoading();
  // The request of the page shown (or being loaded); nullopt before any.
  std::optional<WebRequest> request() const;

  // Pages wider than the view are shrunk to its width after each load.
  bool scalesPageToFit() const { return scalesPageToFit_; }
  void setScalesPageToFit(bool scales) { scalesPageToFit_ = scales; }

  // Runs `script` in the page and waits (in real time, up to
  // WebEngineView::kScriptTimeout) for its value as text: strings as they
  // are, numbers and booleans as JavaScript writes them ("2", "1.5",
  // "true"), undefined and null as "", objects by their toString. A script
  // that throws, times out or returns what cannot leave the page (a
  // function, a promise, a symbol) gives "".
  std::string stringByEvaluatingJavaScriptFromString(const std::string& script);

  // The URL whose load failed last: during webViewDidFailLoadWithError,
  // the one the delegate is being told about (the platform's errors carry
  // no URL of their own).
  const std::string& failingURL() const { return failingUrl_; }

  // The page's title (document.title); "" when there is none.
  std::string title() const;
  // Whether the engine runs for this view (see WebRuntime).
  bool hasEngine() const { return engine_ != nullptr; }
  WebEngineView* engine() const { return engine_.get(); }

  void drawRect(graphics::GraphicsContext& context, graphics::Rect rect) override;
  void layoutSubviews() override;
  void touchesBeganWithEvent(const ui::TouchSet& touches, ui::Event& event) override;
  void touchesMovedWithEvent(const ui::TouchSet& touches, ui::Event& event) override;
  void touchesEndedWithEvent(const ui::TouchSet& touches, ui::Event& event) override;
  void touchesCancelledWithEvent(const ui::TouchSet& touches, ui::Event& event) override;

  // The snapshot drawRect paints in the window front end, taken now.
  void refreshSnapshot();

  static void setLoadObserver(LoadObserver observer);

 private:
  void engineDecideNavigation(WebEngineView::Navigation navigation, WebPolicyDecision decision) override;
  void engineLoadStarted(const std::string& url) override;
  void engineLoadCommitted(const std::string& url) override;
  void engineLoadFinished() override;
  void engineLoadFailed(const Error& error, const std::string& url) override;
  void engineStoppedLoading() override;
  void engineContentProcessEnded() override;

  void decideNavigation(const WebEngineView::Navigation& navigation, WebPolicyDecision& decision);
  bool askDelegate(const std::string& url, WebNavigationType type);
  void expectLoad(double timeout = WebLoadTracker::kDefaultTimeout);
  void finishLoad();
  void failLoad(const Error& error, const std::string& url);
  void reportFailure(const Error& error, const std::string& url);
  void failSoon(const std::string& url, const Error& error);
  void applyZoom();
  void fitPageToWidth();
  void syncEngineSize();
  void sendTouch(const ui::TouchSet& touches, WebEngineView::Pointer phase);
  std::shared_ptr<WebView> protector();

  std::weak_ptr<WebViewDelegate> delegate_;
  std::unique_ptr<WebEngineView> engine_;
  std::unique_ptr<WebLoadTracker> tracker_;
  std::unique_ptr<WebEventQueue> events_;
  std::optional<WebRequest> lastRequest_;
  std::string loadingUrl_;
  std::string failingUrl_;
  std::string nextLoadUrl_;  // the navigation last allowed while no page load ran
  // A new-window request the delegate already allowed: its navigation in
  // this view is not offered a second time.
  std::string approvedNewWindowUrl_;
  bool scalesPageToFit_ = false;
  double fitZoom_ = 1.0;  // below 1 when a wide page was shrunk to fit
  WebSnapshot snapshot_;
  int engineWidth_ = 0, engineHeight_ = 0;
};

}  // namespace platform::web
