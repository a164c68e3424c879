#pragma once
// What a web view tells the object that looks after it, and the one thing it
// asks: whether a navigation may happen.
//
// Every navigation the engine is about to make is offered to
// webViewShouldStartLoadWithRequest first: the first load of loadRequest,
// links, form submissions, script navigations, history moves, reloads,
// redirects, sub-frames and requests for a new window (which load in the
// same view). Answering false stops that navigation and nothing else is
// reported for it.
//
// The load callbacks concern the page itself (the main frame): one
// webViewDidStartLoad when a page load starts, then exactly one of
// webViewDidFinishLoad (an HTTP error page such as a 404 finishes too) or
// webViewDidFailLoadWithError. Callbacks never arrive from inside a call
// into the web view (stringByEvaluatingJavaScriptFromString included); they
// come from later run-loop rounds.
//
// Ownership: the web view holds its delegate weakly.

#include "platform/foundation/Error.h"
#include "platform/web/WebRequest.h"

namespace platform::web {

class WebView;

// The platform's navigation types, with its numbers.
enum class WebNavigationType {
  LinkClicked = 0,
  FormSubmitted = 1,
  BackForward = 2,
  Reload = 3,
  FormResubmitted = 4,
  Other = 5,
};

class WebViewDelegate {
 public:
  virtual ~WebViewDelegate() = default;

  // Not implemented means yes.
  virtual bool webViewShouldStartLoadWithRequest(WebView& webView, const WebRequest& request,
                                                 WebNavigationType navigationType) {
    (void)webView, (void)request, (void)navigationType;
    return true;
  }
  virtual void webViewDidStartLoad(WebView& webView) { (void)webView; }
  virtual void webViewDidFinishLoad(WebView& webView) { (void)webView; }
  virtual void webViewDidFailLoadWithError(WebView& webView, const Error& error) {
    (void)webView, (void)error;
  }
};

}  // namespace platform::web
