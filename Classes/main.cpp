// The app's entry point: reads where the ad server is from the launch
// options (and says in --help where it is by default), journals every
// download of the ad library and every step of its browser and canvas, then
// hands control to
// the platform's application loop with the delegate class
// "Vorla_ButtonAppDelegate".

#include <string>
#include <string_view>

#include "ads/PennantAdServer.h"
#include "ads/PennantBrowserController.h"
#include "ads/PennantModalController.h"
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
  });
  // http {url, status}: the final HTTP status, or the download's error code
  // when no response arrived.
  pennant::PennantURLDownload::setCompletionObserver([](const std::string& url, int statusOrCode) {
    if (auto journal = platform::EventJournal::current()) {
      journal->record("http", platform::JournalFields().set("url", url).set("status", statusOrCode));
    }
  });
  // modal {event, kind}: each step of a browser or canvas presentation; a
  // dismissal request also says what became of it ("outcome": "start",
  // "defer" or "ignore").
  pennant::PennantModalController::setObserver(
      [](const std::string& event, const std::string& kind, const std::string& outcome) {
        auto journal = platform::EventJournal::current();
        if (!journal) return;
        platform::JournalFields fields;
        fields.set("event", event).set("kind", kind);
        if (!outcome.empty()) fields.set("outcome", outcome);
        journal->record("modal", fields);
      });
  // link-rule {url, decision}: every request the embedded browser is about
  // to make.
  pennant::PennantBrowserController::setLinkRuleObserver([](const std::string& url, const std::string& decision) {
    if (auto journal = platform::EventJournal::current()) {
      journal->record("link-rule", platform::JournalFields().set("url", url).set("decision", decision));
    }
  });
  return platform::shell::UIApplicationMain(argc, argv, nullptr, "Vorla_ButtonAppDelegate");
}
