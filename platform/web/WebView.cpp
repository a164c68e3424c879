#include "platform/web/WebView.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/Url.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Touch.h"
#include "platform/web/WebLoadError.h"
#include "platform/web/WebRuntime.h"
#include "platform/web/WebViewHost.h"
#include "platform/web/WebViewRegistry.h"

namespace platform::web {

namespace {

WebView::LoadObserver& loadObserver() {
  static auto* observer = new WebView::LoadObserver();
  return *observer;
}

void observe(const char* event, const std::string& url, std::optional<int> code = std::nullopt) {
  if (loadObserver()) loadObserver()(event, url, code);
}

constexpr const char* kBlankPage = "about:blank";

bool isFileUrl(const std::string& url) {
  const char* scheme = g_uri_peek_scheme(url.c_str());
  return scheme && std::string_view(scheme) == "file";
}

}  // namespace

std::shared_ptr<WebView> WebView::create(graphics::Rect frame) {
  auto view = std::make_shared<WebView>();
  view->initWithFrame(frame);
  return view;
}

WebView::WebView() = default;

WebView::~WebView() {
  // The engine goes first: it stops the page and disconnects its signals
  // while the tracker and the queue it reports to still exist.
  engine_.reset();
  WebViewHost::shared().forget(this);
}

void WebView::initWithFrame(graphics::Rect frame) {
  View::initWithFrame(frame);
  if (engine_ || tracker_) return;  // initialized once
  setBackgroundColor(graphics::Color::whiteColor());
  auto& loop = RunLoop::current();
  events_ = std::make_unique<WebEventQueue>(loop);
  tracker_ = std::make_unique<WebLoadTracker>(
      loop, WebLoadTracker::Handlers{
                [this] { return engine_ && engine_->isEngineLoading(); },
                [this] {
                  auto keep = protector();
                  tracker_->ended();
                  engine_->stopLoading();  // its report of the cancel is ignored: the load has ended
                  reportFailure(WebLoadError::make(WebLoadError::kTimedOut, "The request timed out."), loadingUrl_);
                },
                [this] {
                  auto keep = protector();
                  failLoad(WebLoadError::make(WebLoadError::kCancelled, "The load was given up."), loadingUrl_);
                },
            });
  auto& runtime = WebRuntime::shared();
  if (runtime.prepare(loop)) {
    WebEngineView::Client& client = *this;
    engine_ = std::make_unique<WebEngineView>(client, runtime.context(), runtime.settings(),
                                              WebViewHost::shared().container());
    applyZoom();
    syncEngineSize();
  }
  WebViewRegistry::add(protector());
}

std::shared_ptr<WebView> WebView::protector() { return std::static_pointer_cast<WebView>(shared_from_this()); }

void WebView::setLoadObserver(LoadObserver observer) { loadObserver() = std::move(observer); }

void WebView::loadRequest(const WebRequest& request) {
  if (!engine_) {
    const auto& reason = WebRuntime::shared().failure();
    log("WebView: cannot load " + request.url() + ": " + reason);
    failSoon(request.url(), WebLoadError::make(WebLoadError::kUnknown, reason));
    return;
  }
  if (!Url::URLWithString(request.url())) {
    failSoon(request.url(), WebLoadError::make(WebLoadError::kBadURL, "bad URL: " + request.url()));
    return;
  }
  lastRequest_ = request;
  syncEngineSize();
  expectLoad(request.timeoutInterval());
  engine_->load(request);
}

void WebView::failSoon(const std::string& url, const Error& error) {
  // Reported from the run loop, as every load's end is, never from inside
  // the call that asked for the load.
  std::weak_ptr<WebView> weak = protector();
  RunLoop::current().performSoon([weak, url, error] {
    auto self = weak.lock();
    if (self) self->reportFailure(error, url);
  });
}

void WebView::expectLoad(double timeout) { tracker_->expectStart(timeout); }

void WebView::goBack() {
  if (!canGoBack()) return;
  expectLoad();
  engine_->goBack();
}

void WebView::goForward() {
  if (!canGoForward()) return;
  expectLoad();
  engine_->goForward();
}

void WebView::reload() {
  if (!engine_) return;
  expectLoad();
  engine_->reload();
}

void WebView::stopLoading() {
  if (engine_ && isLoading()) engine_->stopLoading();
}

std::optional<WebRequest> WebView::request() const {
  if (!engine_) return std::nullopt;
  const std::string uri = engine_->uri();
  if (uri.empty()) return std::nullopt;
  if (lastRequest_ && lastRequest_->url() == uri) return lastRequest_;
  return WebRequest(uri);
}

std::string WebView::title() const {
  // The engine's title property follows the page a moment late; the page
  // itself knows.
  if (!engine_) return "";
  return engine_->evaluate("document.title").value_or(engine_->title());
}

std::string WebView::stringByEvaluatingJavaScriptFromString(const std::string& script) {
  if (!engine_) return "";
  auto keep = protector();
  syncEngineSize();
  return engine_->evaluate(script).value_or("");
}

void WebView::engineDecideNavigation(WebEngineView::Navigation navigation, WebPolicyDecision decision) {
  auto held = std::make_shared<WebPolicyDecision>(std::move(decision));
  events_->deliver([this, navigation = std::move(navigation), held] {
    auto keep = protector();
    decideNavigation(navigation, *held);
  });
}

bool WebView::askDelegate(const std::string& url, WebNavigationType type) {
  auto delegate = this->delegate();
  return !delegate || delegate->webViewShouldStartLoadWithRequest(*this, WebRequest(url), type);
}

void WebView::decideNavigation(const WebEngineView::Navigation& navigation, WebPolicyDecision& decision) {
  const std::string& url = navigation.url;
  bool allowed;
  if (!navigation.newWindow && !approvedNewWindowUrl_.empty() && url == approvedNewWindowUrl_) {
    approvedNewWindowUrl_.clear();
    allowed = true;
  } else {
    allowed = askDelegate(url, navigation.type);
  }
  if (allowed && isFileUrl(url)) {
    log("WebView: refused to load a local file: " + url);
    allowed = false;
  }
  if (navigation.newWindow) {
    // The engine never opens a second window; the page loads here instead.
    decision.ignore();
    if (!allowed || url.empty() || url == kBlankPage) return;
    approvedNewWindowUrl_ = url;
    expectLoad();
    engine_->load(WebRequest(url));
    return;
  }
  if (!allowed) {
    decision.ignore();
    return;
  }
  decision.use();
  if (!tracker_->hasStarted()) {
    // Most likely the page's next load (a sub-frame's comes while its page
    // loads); the engine names the new page only later.
    nextLoadUrl_ = url;
    if (!isLoading()) expectLoad();
  }
}

void WebView::engineLoadStarted(const std::string& url) {
  events_->deliver([this, url] {
    auto keep = protector();
    if (tracker_->started()) {
      // The engine dropped the load in progress for this one.
      reportFailure(WebLoadError::make(WebLoadError::kCancelled, "cancelled"), loadingUrl_);
    }
    loadingUrl_ = nextLoadUrl_.empty() ? url : nextLoadUrl_;
    nextLoadUrl_.clear();
    observe("start", loadingUrl_);
    if (auto delegate = this->delegate()) delegate->webViewDidStartLoad(*this);
  });
}

void WebView::engineLoadCommitted(const std::string& url) {
  events_->deliver([this, url] {
    // The engine shows an empty page instead of talking to a port it
    // refuses (9, 25, ...) and would call that a finished load.
    if (!tracker_->hasStarted() || url != kBlankPage || loadingUrl_ == kBlankPage) return;
    auto keep = protector();
    tracker_->ended();
    engine_->stopLoading();
    reportFailure(WebLoadError::make(WebLoadError::kCannotUseRestrictedPort, "Not allowed to use restricted network port"),
                  loadingUrl_);
  });
}

void WebView::engineLoadFinished() {
  events_->deliver([this] {
    if (!tracker_->hasStarted()) return;  // already ended (failed, timed out)
    auto keep = protector();
    if (scalesPageToFit_) fitPageToWidth();
    finishLoad();
  });
}

void WebView::finishLoad() {
  tracker_->ended();
  observe("finish", engine_ ? engine_->uri() : loadingUrl_);
  if (auto delegate = this->delegate()) delegate->webViewDidFinishLoad(*this);
}

void WebView::engineLoadFailed(const Error& error, const std::string& url) {
  events_->deliver([this, error, url] {
    if (!tracker_->isLoading()) return;
    auto keep = protector();
    failLoad(error, url.empty() ? loadingUrl_ : url);
  });
}

void WebView::failLoad(const Error& error, const std::string& url) {
  tracker_->ended();
  reportFailure(error, url);
}

void WebView::reportFailure(const Error& error, const std::string& url) {
  failingUrl_ = url;
  observe("fail", url, error.code);
  if (auto delegate = this->delegate()) delegate->webViewDidFailLoadWithError(*this, error);
}

void WebView::engineStoppedLoading() {
  events_->deliver([this] { tracker_->engineStopped(); });
}

void WebView::engineContentProcessEnded() {
  events_->deliver([this] {
    if (!tracker_->isLoading()) return;
    auto keep = protector();
    failLoad(WebLoadError::make(WebLoadError::kUnknown, "The web content process ended."), loadingUrl_);
  });
}

void WebView::applyZoom() {
  // In the window at scale 2 a point is two pixels, for pages too.
  engine_->setZoomLevel(fitZoom_ * WebViewHost::shared().scale());
}

void WebView::fitPageToWidth() {
  fitZoom_ = 1.0;
  applyZoom();
  const auto width = engine_->evaluate(
      "Math.max(document.documentElement ? document.documentElement.scrollWidth : 0,"
      " document.body ? document.body.scrollWidth : 0)");
  const double contentWidth = width ? std::atof(width->c_str()) : 0;
  const double viewWidth = bounds().size.width;
  if (contentWidth > viewWidth && viewWidth > 0) {
    fitZoom_ = std::max(kMinimumFitZoom, viewWidth / contentWidth);
    applyZoom();
  }
}

void WebView::layoutSubviews() { syncEngineSize(); }

void WebView::syncEngineSize() {
  if (!engine_) return;
  const int width = std::max(1, static_cast<int>(std::lround(bounds().size.width)));
  const int height = std::max(1, static_cast<int>(std::lround(bounds().size.height)));
  if (width == engineWidth_ && height == engineHeight_) return;
  engineWidth_ = width;
  engineHeight_ = height;
  engine_->setOffscreenSize(width, height);
}

void WebView::refreshSnapshot() {
  if (!engine_ || WebEngineView::isWaiting()) return;
  syncEngineSize();
  snapshot_.take(*engine_);
}

void WebView::drawRect(graphics::GraphicsContext& context, graphics::Rect) {
  // Headless, the picture is taken when it is drawn; in the window the
  // engine's widget shows the page and WebViewHost keeps the snapshot fresh
  // for the moments our drawing has to stand in for it.
  if (!engine_) return;
  if (engine_->isOffscreen()) refreshSnapshot();
  // A snapshot pixel is a point offscreen, and a window pixel in the window.
  const double pointsPerPixel = engine_->isOffscreen() ? 1.0 : 1.0 / WebViewHost::shared().scale();
  snapshot_.draw(context.cairoContext(), bounds().size, pointsPerPixel);
}

void WebView::sendTouch(const ui::TouchSet& touches, WebEngineView::Pointer phase) {
  if (!engine_ || touches.empty()) return;
  const auto point = (*touches.begin())->locationInView(shared_from_this());
  engine_->sendPointer(phase, point.x, point.y);
}

void WebView::touchesBeganWithEvent(const ui::TouchSet& touches, ui::Event&) {
  sendTouch(touches, WebEngineView::Pointer::Down);
}

void WebView::touchesMovedWithEvent(const ui::TouchSet& touches, ui::Event&) {
  sendTouch(touches, WebEngineView::Pointer::Move);
}

void WebView::touchesEndedWithEvent(const ui::TouchSet& touches, ui::Event&) {
  sendTouch(touches, WebEngineView::Pointer::Up);
}

void WebView::touchesCancelledWithEvent(const ui::TouchSet& touches, ui::Event&) {
  sendTouch(touches, WebEngineView::Pointer::Up);
}

}  // namespace platform::web
