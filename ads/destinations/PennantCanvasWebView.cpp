#include "ads/destinations/PennantCanvasWebView.h"

#include "ads/PennantAdServer.h"
#include "platform/foundation/JavaScriptString.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"

namespace pennant {

namespace {

constexpr const char* kBridgeTestScript = "typeof(pennant)";
constexpr const char* kNoBridge = "undefined";
constexpr const char* kFileScheme = "file";

// A navigation to the bridge's scheme, read from the URL's text itself: a
// command must never load, also when the rest of it is no valid URL (a
// stray "%" in its query).
struct BridgeMessage {
  std::string_view command;
  std::string_view query;

  static std::optional<BridgeMessage> fromURLText(std::string_view text) {
    const std::string_view scheme = PennantCanvasWebView::kBridgeScheme;
    if (!text.starts_with(scheme) || text.substr(scheme.size(), 1) != ":") return std::nullopt;
    text.remove_prefix(scheme.size() + 1);
    text = text.substr(0, text.find('#'));
    const auto queryStart = text.find('?');
    const std::string_view query = queryStart == std::string_view::npos ? "" : text.substr(queryStart + 1);
    std::string_view command = text.substr(0, queryStart);
    if (command.starts_with("//")) command.remove_prefix(2);
    command = command.substr(0, command.find('/'));
    return BridgeMessage{command, query};
  }
};

double& pageTimeout() {
  static double seconds = PennantCanvasWebView::kCanvasPageTimeout;
  return seconds;
}

std::optional<std::string> decodeASCII(std::string_view text) {
  return platform::PercentEscapes::removingPercentEscapes(text, platform::StringEncoding::ASCII);
}

}  // namespace

std::shared_ptr<PennantCanvasWebView> PennantCanvasWebView::create(platform::graphics::Rect frame) {
  auto view = std::make_shared<PennantCanvasWebView>();
  view->initWithFrame(frame);
  return view;
}

void PennantCanvasWebView::initWithFrame(platform::graphics::Rect frame) {
  WebView::initWithFrame(frame);
  setDelegate(std::static_pointer_cast<PennantCanvasWebView>(shared_from_this()));
  initialLoad_ = true;
}

PennantCanvasWebView::QueryDictionary PennantCanvasWebView::dictionaryWithQueryString(std::string_view query) {
  QueryDictionary arguments;
  while (!query.empty()) {
    const auto end = query.find('&');
    const std::string_view piece = query.substr(0, end);
    query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);

    const auto equals = piece.find('=');
    if (equals == std::string_view::npos || equals == 0) continue;
    auto key = decodeASCII(piece.substr(0, equals));
    auto value = decodeASCII(piece.substr(equals + 1));
    if (!key || !value) continue;
    arguments.insert_or_assign(std::move(*key), std::move(*value));
  }
  return arguments;
}

void PennantCanvasWebView::setCanvasUrl(const std::shared_ptr<const platform::Url>& url) {
  canvasUrlText_ = url ? url->absoluteString() + kCanvasUrlSuffix : "";
  canvasUrl_ = url ? platform::Url::URLWithString(canvasUrlText_) : nullptr;
}

void PennantCanvasWebView::setPageTimeoutInterval(double seconds) { pageTimeout() = seconds; }

double PennantCanvasWebView::pageTimeoutInterval() { return pageTimeout(); }

void PennantCanvasWebView::startLoadingCanvas() {
  loadRequest(platform::web::WebRequest(PennantAdServer::canvasPageURL(),
                                        platform::web::WebRequest::CachePolicy::ReloadIgnoringLocalAndRemoteCacheData,
                                        pageTimeoutInterval()));
  auto spinner = platform::ui::ActivityIndicatorView::initWithActivityIndicatorStyle(
      platform::ui::ActivityIndicatorView::kStyleGray);
  const auto size = frame().size;
  spinner->setFrame({{(size.width - kSpinnerSize) * 0.5, (size.height - kSpinnerSize) * 0.5},
                     {kSpinnerSize, kSpinnerSize}});
  spinner->setTag(kSpinnerTag);
  spinner->startAnimating();
  addSubview(spinner);
}

bool PennantCanvasWebView::webviewIsFromPennant() {
  // typeof always names a type: no answer at all means a page too busy to
  // run a script (it is stopped then) or no engine, and neither can ever
  // take the canvas's content.
  const std::string type = stringByEvaluatingJavaScriptFromString(kBridgeTestScript);
  return !type.empty() && type != kNoBridge;
}

bool PennantCanvasWebView::webViewShouldStartLoadWithRequest(platform::web::WebView&,
                                                             const platform::web::WebRequest& request,
                                                             platform::web::WebNavigationType) {
  const auto message = BridgeMessage::fromURLText(request.url());
  if (!message) return true;
  if (message->command == kLaunchCommand) {
    launch(dictionaryWithQueryString(message->query));
  } else if (message->command == kCloseCommand) {
    dismiss();
  }
  return false;
}

void PennantCanvasWebView::launch(const QueryDictionary& arguments) {
  const auto argument = arguments.find("url");
  auto target = argument == arguments.end() ? nullptr : platform::Url::URLWithString(argument->second);
  if (!target) return;
  if (target->scheme() == kFileScheme) {
    platform::log("Pennant: the canvas asked to open a local file; not handed on: " + target->absoluteString());
    return;
  }
  platform::ui::Application::sharedApplication().openURL(target);
}

void PennantCanvasWebView::dismiss() {
  // The controller's call may end the presentation and with it the last
  // reference to this view.
  auto protector = shared_from_this();
  if (controller_.lock() && dismissSelector_) dismissSelector_();
}

void PennantCanvasWebView::webViewDidFinishLoad(platform::web::WebView&) {
  if (!initialLoad_) return;
  if (auto spinner = viewWithTag(kSpinnerTag)) spinner->removeFromSuperview();
  if (webviewIsFromPennant()) {
    stringByEvaluatingJavaScriptFromString("cb(" + platform::JavaScriptString::literal(canvasUrlText_) + ", " +
                                           platform::JavaScriptString::literal(canvasTitle_) + ")");
    initialLoad_ = false;
  } else {
    dismiss();
  }
}

void PennantCanvasWebView::webViewDidFailLoadWithError(platform::web::WebView&, const platform::Error&) {
  if (initialLoad_) dismiss();
}

}  // namespace pennant
