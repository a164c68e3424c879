#include "ads/PennantLaunchOptions.h"

#include <charconv>

#include "ads/PennantAdServer.h"
#include "ads/PennantURLDownload.h"
#include "ads/destinations/PennantBrowserController.h"
#include "ads/destinations/PennantCanvasWebView.h"
#include "ads/destinations/PennantModalController.h"
#include "platform/foundation/EventJournal.h"
#include "platform/foundation/JournalFields.h"
#include "platform/foundation/Url.h"
#include "platform/shell/AppLauncher.h"
#include "platform/shell/LaunchFlags.h"

namespace pennant {

namespace {

using platform::shell::LaunchFlags;

// The two default hosts are one server, so --help can name it once.
static_assert(std::string_view(PennantAdServer::kDefaultRequestHost) == PennantAdServer::kDefaultStaticMediaHost);

std::string adServerNotes() {
  const std::string_view host = PennantAdServer::kDefaultRequestHost;
  const std::string_view port = host.substr(host.rfind(':') + 1);
  return "Ads: without --request-host and --media-host the app asks " + std::string(host) +
         ",\nwhere the bundled ad server listens when started as\n  pennant-adserver --port " + std::string(port) +
         "\n./run.sh starts it on a free port and passes both hosts itself.\n";
}

}  // namespace

std::string PennantLaunchOptions::hostAddressError(const std::string& value) {
  auto url = platform::Url::URLWithString(value);
  if (!url || !url->host() || url->host()->empty() || (url->scheme() != "http" && url->scheme() != "https")) {
    return "expects an http or https address such as http://127.0.0.1:8420, not \"" + value + "\"";
  }
  return "";
}

std::optional<double> PennantLaunchOptions::downloadTimeoutFromText(const std::string& value) {
  double seconds = 0;
  const char* end = value.data() + value.size();
  auto [stop, error] = std::from_chars(value.data(), end, seconds);
  if (error != std::errc() || stop != end || !(seconds >= kShortestDownloadTimeout) ||
      seconds > kLongestDownloadTimeout) {
    return std::nullopt;
  }
  return seconds;
}

void PennantLaunchOptions::registerWithLauncher() {
  LaunchFlags::add({"--request-host", "REQUEST_HOST", "URL", "the ad server's request host", hostAddressError,
                    [](const std::string& host) { PennantAdServer::setRequestHost(host); }});
  LaunchFlags::add({"--media-host", "MEDIA_HOST", "URL", "the ad server's static-media host", hostAddressError,
                    [](const std::string& host) { PennantAdServer::setStaticMediaHost(host); }});
  LaunchFlags::add({"--download-timeout", "DOWNLOAD_TIMEOUT", "SECONDS",
                    "how long a download of the ad library may take, 0.1 to 600 (default 60)",
                    [](const std::string& value) -> std::string {
                      if (downloadTimeoutFromText(value)) return "";
                      return "expects a number of seconds from 0.1 to 600, not \"" + value + "\"";
                    },
                    [](const std::string& value) {
                      if (auto seconds = downloadTimeoutFromText(value)) {
                        PennantURLDownload::setDefaultTimeoutInterval(*seconds);
                        PennantCanvasWebView::setPageTimeoutInterval(*seconds);
                      }
                    }});
  platform::shell::AppLauncher::addUsageNotes(adServerNotes());
  PennantURLDownload::setCompletionObserver([](const std::string& url, int statusOrCode) {
    if (auto journal = platform::EventJournal::current()) {
      journal->record("http", platform::JournalFields().set("url", url).set("status", statusOrCode));
    }
  });
  PennantModalController::setObserver([](const std::string& event, const std::string& kind, const std::string& outcome) {
    auto journal = platform::EventJournal::current();
    if (!journal) return;
    platform::JournalFields fields;
    fields.set("event", event).set("kind", kind);
    if (!outcome.empty()) fields.set("outcome", outcome);
    journal->record("modal", fields);
  });
  PennantBrowserController::setLinkRuleObserver([](const std::string& url, const std::string& decision) {
    if (auto journal = platform::EventJournal::current()) {
      journal->record("link-rule", platform::JournalFields().set("url", url).set("decision", decision));
    }
  });
}

}  // namespace pennant
