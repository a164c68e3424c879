#pragma once
// The web view of a canvas ad, with the bridge to its page. It loads one
// fixed page from the static-media host (canvas.html); when that page has
// loaded and carries the bridge (a global `pennant` object), the view calls
// the page's cb(url, title) once with the ad's canvas URL and title, and
// the page shows the content. The page talks back by navigating to
// "pennant:" URLs, which never load:
//   pennant://launch?url=<percent-escaped URL>   hand that URL to the system
//   pennant://closecanvas                        close the canvas
// A first load that fails, or a first page without the bridge (or too busy
// to say whether it has one), closes the canvas without a word.
//
//   auto canvas = PennantCanvasWebView::create(frame);
//   canvas->setController(controller);                 // weak
//   canvas->setDismissSelector([weak] { ... dismissModal(); });
//   canvas->setCanvasUrl(url);  canvas->setCanvasTitle(title);
//   canvas->startLoadingCanvas();
//
// The URL and the title reach the page as JavaScript string literals, so
// the page receives exactly their text (quotes, backslashes, line
// separators, "</script>" and NUL included) and nothing in them can run.
// A "launch" of a local file is not handed on: a page from the network has
// no business opening the user's files.
//
// Ownership: the view is its own delegate (held weakly by the web view);
// the controller is a weak link and the dismiss selector should capture it
// weakly. The spinner is a subview (tag kSpinnerTag) until the first load
// ends.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/Url.h"
#include "platform/web/WebView.h"
#include "platform/web/WebViewDelegate.h"

namespace pennant {

class PennantCanvasWebView : public platform::web::WebView, public platform::web::WebViewDelegate {
 public:
  using Selector = std::function<void()>;
  using QueryDictionary = std::map<std::string, std::string, std::less<>>;

  static constexpr int kSpinnerTag = 1;
  static constexpr double kSpinnerSize = 20;
  static constexpr double kCanvasPageTimeout = 600;
  static constexpr const char* kBridgeScheme = "pennant";
  static constexpr const char* kLaunchCommand = "launch";
  static constexpr const char* kCloseCommand = "closecanvas";
  static constexpr const char* kCanvasUrlSuffix = "#sdk";

  static std::shared_ptr<PennantCanvasWebView> create(platform::graphics::Rect frame);
  // The web view at `frame`, its own delegate.
  void initWithFrame(platform::graphics::Rect frame) override;
  // The arguments of a bridge command: "&"-separated name=value pieces,
  // both percent-decoded as ASCII ("+" stays "+"). Pieces without "=", with
  // an empty name, or that do not decode as ASCII are skipped; a later
  // name replaces an earlier one.
  static QueryDictionary dictionaryWithQueryString(std::string_view query);

  void setController(std::weak_ptr<void> controller) { controller_ = std::move(controller); }
  std::shared_ptr<void> controller() const { return controller_.lock(); }
  void setDismissSelector(Selector selector) { dismissSelector_ = std::move(selector); }

  // Keeps the URL's text with "#sdk" appended (also after a fragment).
  void setCanvasUrl(const std::shared_ptr<const platform::Url>& url);
  // Null when the text with the suffix is no URL any more (a second "#");
  // the page is still handed the text.
  const std::shared_ptr<const platform::Url>& canvasUrl() const { return canvasUrl_; }
  const std::string& canvasUrlText() const { return canvasUrlText_; }
  void setCanvasTitle(std::string title) { canvasTitle_ = std::move(title); }
  const std::string& canvasTitle() const { return canvasTitle_; }
  bool initialLoad() const { return initialLoad_; }

  // Loads the canvas page past every cache and shows a grey spinner in the
  // middle of the view until the first load ends.
  void startLoadingCanvas();
  // How long the canvas page may take to load (kCanvasPageTimeout unless
  // the app was told otherwise, as tests of slow servers do).
  static void setPageTimeoutInterval(double seconds);
  static double pageTimeoutInterval();
  // Whether the page carries the bridge; false when it does not answer.
  bool webviewIsFromPennant();

  bool webViewShouldStartLoadWithRequest(platform::web::WebView& webView, const platform::web::WebRequest& request,
                                         platform::web::WebNavigationType navigationType) override;
  void webViewDidFinishLoad(platform::web::WebView& webView) override;
  void webViewDidFailLoadWithError(platform::web::WebView& webView, const platform::Error& error) override;

 private:
  void dismiss();
  void launch(const QueryDictionary& arguments);

  std::weak_ptr<void> controller_;
  Selector dismissSelector_;
  std::shared_ptr<const platform::Url> canvasUrl_;
  std::string canvasUrlText_;
  std::string canvasTitle_;
  bool initialLoad_ = true;
};

}  // namespace pennant
