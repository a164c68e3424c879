#pragma once
// What a page may not do in a web view, enforced on the engine's widget:
// block the app on a dialog, ask for permissions, read files through a file
// chooser, pop up a context menu (whose items open windows and save files),
// print, go full screen, or show notifications. Every such request is
// answered at once, without showing anything: alert is acknowledged,
// confirm and prompt are declined, leaving a page is allowed, permissions
// are denied, file choosers cancelled, the rest ignored.
//
// Downloads are refused where the engine decides about responses:
// isDownload() tells which responses it would save instead of showing.

#include <webkit2/webkit2.h>

namespace platform::web {

class WebPageGuards {
 public:
  static void install(WebKitWebView* view);
  // A response marked as an attachment, or one whose type the engine
  // cannot display.
  static bool isDownload(WebKitResponsePolicyDecision* decision);
};

}  // namespace platform::web
