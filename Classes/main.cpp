// The app's entry point: reads where the ad server is from the launch
// options (and says in --help where it is by default), journals every
// download of the ad library, then hands control to
// the platform's application loop with the delegate class
// "Vorla_ButtonAppDelegate".

#include <string>
#include <string_view>

#include "ads/PennantAdServer.h"
#include "ads/PennantURLDownload.h"
#include "platform/foundation/EventJournal.h"
#include "platform/foundation/JournalFields.h"
#include "platform/shell/AppLauncher.h"
#include "platform/shell/ApplicationMain.h"

namespace {

// The two default hosts are one server, so --help can name it once.
static_assert(std::string_view(pennant::PennantAdServer::kDefaultRequestHost) ==
              pennant::PennantAdServer::kDefaultStaticMediaHost);

std::string adServerNotes() {
  const std::string_view host = pennant::PennantAdServer::kDefaultRequestHost;
  const std::string_view port = host.substr(host.rfind(':') + 1);
  return "Ads: without --request-host and --media-host the app asks " + std::string(host) +
         ",\nwhere the bundled ad server listens when started as\n  pennant-adserver --port " + std::string(port) +
         "\n./run.sh starts it on a free port and passes both hosts itself.\n";
}

}  // namespace

int main(int argc, char** argv) {
  platform::shell::AppLauncher::setUsageNotes(adServerNotes());
  platform::shell::AppLauncher::setOptionsHook([](const platform::shell::LaunchOptions& options) {
    if (options.requestHost) pennant::PennantAdServer::setRequestHost(*options.requestHost);
    if (options.mediaHost) pennant::PennantAdServer::setStaticMediaHost(*options.mediaHost);
    if (options.downloadTimeout) pennant::PennantURLDownload::setDefaultTimeoutInterval(*options.downloadTimeout);
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
