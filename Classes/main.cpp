// The app's entry point: reads where the ad server is from the launch
// options, journals every download of the ad library, then hands control to
// the platform's application loop with the delegate class
// "Vorla_ButtonAppDelegate".

#include "ads/PennantAdServer.h"
#include "ads/PennantURLDownload.h"
#include "platform/foundation/EventJournal.h"
#include "platform/foundation/JournalFields.h"
#include "platform/shell/AppLauncher.h"
#include "platform/shell/ApplicationMain.h"

int main(int argc, char** argv) {
  platform::shell::AppLauncher::setOptionsHook([](const platform::shell::LaunchOptions& options) {
    if (options.requestHost) pennant::PennantAdServer::setRequestHost(*options.requestHost);
    if (options.mediaHost) pennant::PennantAdServer::setStaticMediaHost(*options.mediaHost);
  });
  // http {url, status}: the final HTTP status, or the download's error code
  // when no response arrived.
  pennant::PennantURLDownload::setCompletionObserver([](const std::string& url, int statusOrCode) {
    if (auto journal = platform::EventJournal::current()) {
      journal->record("http", platform::JournalFields().set("url", url).set("status", statusOrCode));
    }
  });
  return platform::shell::UIApplicationMain(argc, argv, nullptr, "Vorla_ButtonAppDelegate");
}
