// Every download the ad library makes, under every fault the bundled server
// can inject, in the real app: each cell is one headless run against a
// server that faults that download only, then a run against a clean server
// in the same home. Every cell must end without a crash (or, in the
// sanitizer build, a leak), without a spinner left on screen, with nothing
// written outside the app's home and with the app still loading ads; each
// download then has its own outcome: the ad fails, the ad loads without the
// thing, the click fails, the call is still made, the contact has no picture,
// the canvas closes. The canvas page is loaded by the web engine, so its
// cells are a suite of their own that runs where the engine can.

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>

#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

enum class Fault {
  Refused,
  ResetMidBody,
  NotFound,
  ServerError,
  SlowerThanTimeout,
  GarbageBody,
  TruncatedImage,
  HugeBody,
  RedirectLoop,
  RedirectToFile,
  RedirectToOtherPort,
};

const std::vector<std::pair<Fault, const char*>> kFaults = {
    {Fault::Refused, "refused"},
    {Fault::ResetMidBody, "reset mid-body"},
    {Fault::NotFound, "404"},
    {Fault::ServerError, "500"},
    {Fault::SlowerThanTimeout, "slower than the time-out"},
    {Fault::GarbageBody, "garbage body"},
    {Fault::TruncatedImage, "truncated image"},
    {Fault::HugeBody, "100 MB body"},
    {Fault::RedirectLoop, "redirect loop"},
    {Fault::RedirectToFile, "redirect to file://"},
    {Fault::RedirectToOtherPort, "redirect to another port"},
};

// In the slow cells the app gives each download this long and the server
// answers later. Only there: on a loaded machine or a sanitizer build a
// healthy download may take a second, and must not fail the other cells.
constexpr const char* kDownloadTimeout = "2";
constexpr double kServerDelaySeconds = 4;
constexpr long long kHugeBodyBytes = 100LL * 1024 * 1024;
// Download error code of a transfer that failed without a usable response.
constexpr int kConnectionFailed = -4;
constexpr int kHttpOk = 200;

// The HTTP status (or the download's error code) the journal reports for
// the faulted download.
int journalStatusFor(Fault fault) {
  switch (fault) {
    case Fault::NotFound: return 404;
    case Fault::ServerError: return 500;
    case Fault::GarbageBody:
    case Fault::TruncatedImage:
    case Fault::RedirectToOtherPort: return kHttpOk;
    default: return kConnectionFailed;
  }
}

// A body arrived, but not one that can be used.
bool bodyIsUnusable(Fault fault) { return fault == Fault::GarbageBody || fault == Fault::TruncatedImage; }
// The other port serves the same inventory: the download works there.
bool downloadWorks(Fault fault) { return fault == Fault::RedirectToOtherPort; }

// A loopback port where nothing listens: bound, then released.
int deadPort() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(s);
  return ntohs(address.sin_port);
}

struct Cell;

struct Download {
  std::string name;
  std::string action;      // the server serves only ads of this click action
  std::string faultPath;   // the path the fault applies to ("*" for a prefix)
  std::string targetPath;  // what a redirect sends the client to (path and query)
  std::string urlPart;     // how the download shows in the journal's URLs
  std::vector<std::string> appArguments;
  std::string steps;       // script lines after the first ad has had its second
  std::function<void(const Cell&)> outcome;
  // An image banner stays until the user leaves: the host's refresh does
  // nothing while one shows.
  bool bannerAd = false;
  // Loaded by the web engine, which journals `web` events instead of `http`.
  bool webPage = false;
  // Script lines after `steps` when the fault does not stop the download.
  std::string stepsWhenItWorks = "";
};

struct Cell {
  Fault fault;
  std::string label;
  RunResult faulted;
  RunResult clean;
  std::string home;
  std::string book;
  std::vector<std::string> elsewhereLog;
  // The files of the home, relative, right after the faulted run.
  std::set<std::string> filesAfterFault;

  std::vector<int> statusesOf(const std::string& urlPart) const {
    static const std::regex status(R"("status":(-?\d+))");
    std::vector<int> found;
    for (const auto& e : faulted.ofType("http")) {
      std::smatch match;
      if (e.url.find(urlPart) != std::string::npos && std::regex_search(e.line, match, status)) {
        found.push_back(std::stoi(match[1]));
      }
    }
    return found;
  }
  bool hasLog(const RunResult& run, const std::string& text) const {
    const auto events = run.ofType("log");
    return std::any_of(events.begin(), events.end(), [&](const Event& e) { return e.text == text; });
  }
  bool adLoaded(const RunResult& run) const { return hasLog(run, "Pennant: Did receive ad"); }
  bool adFailed(const RunResult& run) const { return hasLog(run, "Pennant: Did fail to receive ad"); }
  bool cached(const std::string& name) const {
    return filesAfterFault.count("Documents/pennant/image_cache/" + name) > 0;
  }
  std::vector<std::string> vcards() const {
    std::vector<std::string> cards;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(book, error)) {
      if (item.path().extension() != ".vcf") continue;
      std::ifstream in(item.path(), std::ios::binary);
      cards.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return cards;
  }
};

// Downloads of `urlPart` that ended at simulated time `t` or later.
std::size_t requestsAfter(const RunResult& run, const std::string& urlPart, double t) {
  const auto events = run.ofType("http");
  return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [&](const Event& e) {
    return e.t >= t && e.url.find(urlPart) != std::string::npos;
  }));
}

std::string ruleFor(Fault fault, const Download& download, int refusedPort, const std::string& otherBase) {
  const std::string path = "\"path\":\"" + download.faultPath + "\"";
  const std::string target = download.targetPath;
  switch (fault) {
    case Fault::Refused:
      return "{" + path + ",\"redirect\":\"http://127.0.0.1:" + std::to_string(refusedPort) + target + "\"}";
    case Fault::ResetMidBody: return "{" + path + ",\"truncate\":true}";
    case Fault::NotFound: return "{" + path + ",\"status\":404}";
    case Fault::ServerError: return "{" + path + ",\"status\":500}";
    case Fault::SlowerThanTimeout: return "{" + path + ",\"delay\":" + std::to_string(kServerDelaySeconds) + "}";
    case Fault::GarbageBody: return "{" + path + ",\"garbage\":true}";
    case Fault::TruncatedImage: return "{" + path + ",\"cut\":true}";
    case Fault::HugeBody: return "{" + path + ",\"flood\":" + std::to_string(kHugeBodyBytes) + "}";
    case Fault::RedirectLoop: return "{" + path + ",\"redirect\":\"{{base}}" + target + "\"}";
    case Fault::RedirectToFile: return "{" + path + ",\"redirect\":\"file:///etc/passwd\"}";
    case Fault::RedirectToOtherPort: return "{" + path + ",\"redirect\":\"" + otherBase + target + "\"}";
  }
  return "";
}

// Where a finger lands on the banner at the bottom of the screen.
const char* kTapBanner = "down 160 456\nup 160 456\nwait 0.5\n";
// The info button, and time for the push.
const char* kTapInfo = "tap 297 82\nwait 1\n";

class FaultMatrix : public ::testing::Test {
 protected:
  void runMatrix(const Download& download) {
    AdServerProcess elsewhere(scratch("elsewhere"), "tools/adserver/inventory", "", {"--only-action", download.action});
    ASSERT_FALSE(elsewhere.url().empty());
    for (const auto& [fault, faultName] : kFaults) {
      Cell cell{fault, download.name + " x " + faultName, {}, {}, {}, {}, {}, {}};
      const std::string root = scratch("cell");
      cell.home = root + "/home";
      cell.book = root + "/book";
      const std::string outside = root + "/outside";
      fs::create_directories(outside);
      const std::string rule = ruleFor(fault, download, deadPort(), elsewhere.url());
      const std::string script =
          "wait 1\n" + download.steps + (downloadWorks(fault) ? download.stepsWhenItWorks : "") +
          "views mid\nwait 60\nviews end\n" + kTapInfo;
      {
        fs::create_directories(root + "/server");
        AdServerProcess server(root + "/server", "tools/adserver/inventory", "[" + rule + "]",
                               {"--only-action", download.action});
        ASSERT_FALSE(server.url().empty()) << cell.label;
        std::vector<std::string> arguments = download.appArguments;
        if (fault == Fault::SlowerThanTimeout) arguments.insert(arguments.end(), {"--download-timeout", kDownloadTimeout});
        cell.faulted = runApp(server, cell, outside, arguments, script);
      }
      cell.elsewhereLog = elsewhere.logLines();
      for (const auto& item : fs::recursive_directory_iterator(cell.home)) {
        if (item.is_regular_file()) cell.filesAfterFault.insert(fs::relative(item.path(), cell.home).string());
      }
      {
        fs::create_directories(root + "/clean");
        AdServerProcess clean(root + "/clean", "tools/adserver/inventory", "", {"--only-action", download.action});
        cell.clean = runApp(clean, cell, outside, download.appArguments, "wait 1\nviews end\nwait 61\n");
      }
      checkEveryCell(cell, download, root, outside);
      download.outcome(cell);
    }
  }

  RunResult runApp(const AdServerProcess& server, const Cell& cell, const std::string& outside,
                   std::vector<std::string> extra, const std::string& script) {
    for (const auto& argument : server.hostArguments()) extra.push_back(argument);
    extra.insert(extra.end(), {"--address-book", cell.book});
    // Anything the app would put in the system's temporary folder lands
    // where the test can see it.
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous ? previous : "";
    ::setenv("TMPDIR", outside.c_str(), 1);
    auto result = AppRun::headless(cell.home, script, extra);
    if (previous) {
      ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
    return result;
  }

  void checkEveryCell(const Cell& cell, const Download& download, const std::string& root,
                      const std::string& outside) {
    const std::string& label = cell.label;
    for (const RunResult* run : {&cell.faulted, &cell.clean}) {
      EXPECT_EQ(run->status, 0) << label << "\n" << run->stderrText;
      EXPECT_EQ(run->stderrText.find("Sanitizer"), std::string::npos) << label << "\n" << run->stderrText;
      for (const char* dump : {"mid.json", "end.json"}) {
        const std::string views = run->file(dump);
        EXPECT_EQ(views.find("\"tag\":2,"), std::string::npos) << label << ": a spinner is left in " << dump;
      }
    }
    // The run went on to the info screen: the app still takes touches
    // (unless an offer it was right to make still waits for an answer).
    if (cell.faulted.ofType("alert").size() == cell.faulted.ofType("alert-button").size()) {
      EXPECT_EQ(cell.faulted.lastStack().size(), 2u) << label;
    }

    if (!download.webPage) {
      const auto statuses = cell.statusesOf(download.urlPart);
      ASSERT_FALSE(statuses.empty()) << label << ": the download was never made";
      EXPECT_EQ(statuses.front(), journalStatusFor(cell.fault)) << label;
    }
    if (cell.fault == Fault::RedirectToOtherPort) {
      // The identifier belongs to the host the library chose, not to the
      // one a redirect names.
      ASSERT_FALSE(cell.elsewhereLog.empty()) << label;
      for (const auto& line : cell.elsewhereLog) EXPECT_EQ(line.find("X-PENNANT-ISU"), std::string::npos) << label;
    }

    // Nothing outside the home but what the test itself keeps there.
    const std::set<std::string> allowed = {"home", "book", "outside", "server", "clean"};
    for (const auto& item : fs::directory_iterator(root)) {
      const std::string name = item.path().filename().string();
      EXPECT_TRUE(allowed.count(name) || name.rfind("home-out-", 0) == 0) << label << ": " << name;
    }
    for (const auto& item : fs::directory_iterator(outside)) {
      EXPECT_EQ(item.path().filename().string().rfind("vorla-e2e-stderr-", 0), 0u)
          << label << ": " << item.path();
    }
    // A local file reached through a redirect would show up in a cache.
    for (const auto& item : fs::recursive_directory_iterator(cell.home)) {
      if (!item.is_regular_file()) continue;
      std::ifstream in(item.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_EQ(bytes.find("root:"), std::string::npos) << label << ": " << item.path();
    }

    // Whatever the fault left behind, the next start loads ads and refreshes.
    EXPECT_TRUE(cell.adLoaded(cell.clean)) << label << ": no ad after the fault has gone";
    if (!download.bannerAd) {
      EXPECT_GE(requestsAfter(cell.clean, "/ad_source.php", 60), 1u) << label << ": no refresh after the fault";
    }
  }

  std::string scratch(const std::string& name) {
    const std::string path = dir_.path() + "/" + name + "-" + std::to_string(++folders_);
    fs::create_directories(path);
    return path;
  }

  TempDir dir_;
  int folders_ = 0;
};

// The outcome of a download the ad cannot do without: with it the ad
// loads, without it the first ad fails and nothing shows.
void adNeedsIt(const Cell& cell) {
  if (downloadWorks(cell.fault)) {
    EXPECT_TRUE(cell.adLoaded(cell.faulted)) << cell.label;
  } else {
    EXPECT_TRUE(cell.adFailed(cell.faulted)) << cell.label;
    EXPECT_FALSE(cell.adLoaded(cell.faulted)) << cell.label;
    EXPECT_EQ(cell.faulted.file("end.json").find("PennantSingleAdView"), std::string::npos) << cell.label;
  }
}

// A text ad that loaded refreshes a minute later in the same run.
void refreshes(const Cell& cell) {
  EXPECT_GE(requestsAfter(cell.faulted, "/ad_source.php", 60), 1u) << cell.label;
}

TEST_F(FaultMatrix, StringsFile) {
  runMatrix({"strings file", "call", "/static/iphone/i18n/20090402/es.strings", "/static/iphone/i18n/20090402/es.strings",
             "/es.strings", {"--language", "es"}, "", [](const Cell& cell) {
               // Translations are a nicety: the ad shows whatever became of them.
               EXPECT_TRUE(cell.adLoaded(cell.faulted)) << cell.label;
               refreshes(cell);
               const bool kept = cell.filesAfterFault.count("Documents/pennant/localization_cache/20090402/es.strings");
               // A language the server lacks is not asked for again; a
               // transient failure or a file that is no strings file is
               // tried again at the next ad.
               EXPECT_EQ(kept, cell.fault == Fault::NotFound || downloadWorks(cell.fault)) << cell.label;
             }});
}

TEST_F(FaultMatrix, BrowserIcons) {
  runMatrix({"browser icon", "call", "/static/iphone/browser/back.png", "/static/iphone/browser/back.png",
             "/browser/back.png", {}, "", [](const Cell& cell) {
               adNeedsIt(cell);
               EXPECT_EQ(cell.cached("back"), downloadWorks(cell.fault)) << cell.label;
             }});
}

TEST_F(FaultMatrix, AdRequest) {
  runMatrix({"ad request", "call", "/ad_source.php", "/ad_source.php?s=pub", "/ad_source.php", {}, "",
             [](const Cell& cell) { adNeedsIt(cell); }});
}

TEST_F(FaultMatrix, Picture) {
  runMatrix({"picture", "call", "/static/ads/pizza.png", "/static/ads/pizza.png", "/static/ads/pizza.png", {}, "",
             [](const Cell& cell) { adNeedsIt(cell); }});
}

TEST_F(FaultMatrix, ActionIcon) {
  runMatrix({"action icon", "call", "/static/iphone/img/call.png", "/static/iphone/img/call.png", "/img/call.png", {},
             "", [](const Cell& cell) {
               adNeedsIt(cell);
               EXPECT_EQ(cell.cached("call"), downloadWorks(cell.fault)) << cell.label;
             }});
}

TEST_F(FaultMatrix, BannerImage) {
  runMatrix({"banner image", "url", "/static/banners/shoes.png", "/static/banners/shoes.png",
             "/static/banners/shoes.png", {}, "", [](const Cell& cell) { adNeedsIt(cell); }, true});
}

TEST_F(FaultMatrix, Pixels) {
  // A banner's pixels go out when it is drawn; headless, that is when a
  // screenshot shows it.
  runMatrix({"pixel", "url", "/pixel/*", "/pixel/track-banner-shoes", "/pixel/", {}, "screenshot shown\n",
             [](const Cell& cell) {
               // Counting a view is the server's business: the banner shows regardless.
               EXPECT_TRUE(cell.adLoaded(cell.faulted)) << cell.label;
               EXPECT_NE(cell.faulted.file("end.json").find("PennantSingleAdView"), std::string::npos) << cell.label;
             },
             true});
}

TEST_F(FaultMatrix, Click) {
  runMatrix({"click", "call", "/click/pizza-call", "/click/pizza-call", "/click/pizza-call", {}, kTapBanner,
             [](const Cell& cell) {
               refreshes(cell);
               const auto alerts = cell.faulted.ofType("alert");
               if (downloadWorks(cell.fault)) {
                 EXPECT_EQ(alerts.size(), 1u) << cell.label;
                 return;
               }
               EXPECT_TRUE(alerts.empty()) << cell.label;
               EXPECT_TRUE(cell.faulted.ofType("open-url").empty()) << cell.label;
               // An answer that is not JSON goes on without a destination,
               // which the call offer reports; a failed download says nothing.
               const std::vector<std::string> said =
                   bodyIsUnusable(cell.fault) ? std::vector<std::string>{"No phone number in click response."}
                                              : std::vector<std::string>{};
               EXPECT_EQ(cell.faulted.logLines(), said) << cell.label;
             }});
}

TEST_F(FaultMatrix, Acquisition) {
  runMatrix({"acquisition", "call", "/acquire/pizza-call", "/acquire/pizza-call", "/acquire/pizza-call", {},
             std::string(kTapBanner) + "press \"Call\"\nwait 1\n", [](const Cell& cell) {
               refreshes(cell);
               // The call is made whatever became of its record, and only once.
               const auto opened = cell.faulted.ofType("open-url");
               ASSERT_EQ(opened.size(), 1u) << cell.label;
               EXPECT_EQ(opened[0].url, "tel:+15555550123");
               // Any answer below 400 records the acquisition; its body is not read.
               const bool recorded = journalStatusFor(cell.fault) == kHttpOk;
               EXPECT_EQ(cell.hasLog(cell.faulted, "Failed to record click-to-call acquisition."), !recorded)
                   << cell.label;
             }});
}

TEST_F(FaultMatrix, ContactPicture) {
  runMatrix({"contact picture", "contact", "/static/contacts/bakery.png", "/static/contacts/bakery.png",
             "/static/contacts/bakery.png", {}, std::string(kTapBanner) + "press \"Add\"\nwait 1\n",
             [](const Cell& cell) {
               refreshes(cell);
               // The entry is written first; only a picture that is one joins it.
               const auto cards = cell.vcards();
               ASSERT_EQ(cards.size(), 1u) << cell.label;
               EXPECT_NE(cards[0].find("ORG:Sunrise Bakery"), std::string::npos) << cell.label;
               EXPECT_EQ(cards[0].find("PHOTO:") != std::string::npos, downloadWorks(cell.fault)) << cell.label;
             }});
}

// The canvas page is a page load of the web engine, so every fault of the
// server applies to it: a 404 or 500 still delivers a page, which lacks the
// bridge, as garbage, half of it in a complete answer and filler do; a
// reset, a refused connection, a redirect loop or a local file fail the
// load, and a slow server runs into its time-out.
class FaultMatrixWeb : public FaultMatrix {};

// The `web` events of a run, as "event url".
std::vector<std::string> pageLoads(const RunResult& run) {
  static const std::regex event(R"re("event":"([a-z]+)")re");
  std::vector<std::string> loads;
  for (const auto& e : run.ofType("web")) {
    std::smatch match;
    if (std::regex_search(e.line, match, event)) loads.push_back(match[1].str() + " " + e.url);
  }
  return loads;
}

std::vector<std::string> modalSteps(const RunResult& run) {
  static const std::regex fields(R"re("event":"([a-z-]+)".*"kind":"([a-z]+)")re");
  std::vector<std::string> steps;
  for (const auto& e : run.ofType("modal")) {
    std::smatch match;
    if (std::regex_search(e.line, match, fields)) steps.push_back(match[2].str() + " " + match[1].str());
  }
  return steps;
}

TEST_F(FaultMatrixWeb, CanvasPage) {
  // The banner's canvas comes up; a wait for the engine, then for the
  // canvas to go when its page fails. A canvas that works is closed with a
  // tap on the backdrop below it.
  runMatrix({"canvas page", "canvas", "/static/iphone/canvas.html", "/static/iphone/canvas.html",
             "/static/iphone/canvas.html", {}, std::string(kTapBanner) + "wait 0.7\nwait-web\nwait 1.5\n",
             [](const Cell& cell) {
               const auto& run = cell.faulted;
               EXPECT_TRUE(run.ofType("alert").empty()) << cell.label;
               EXPECT_TRUE(run.ofType("open-url").empty()) << cell.label;
               const auto loads = pageLoads(run);
               ASSERT_FALSE(loads.empty()) << cell.label;
               EXPECT_NE(loads.front().find("/static/iphone/canvas.html"), std::string::npos) << cell.label;
               for (const auto& load : loads) {
                 EXPECT_EQ(load.rfind("finish file:", 0), std::string::npos) << cell.label << ": " << load;
               }
               for (const char* dump : {"mid.json", "end.json"}) {
                 EXPECT_EQ(run.file(dump).find("PennantModalBackground"), std::string::npos) << cell.label;
               }
               if (downloadWorks(cell.fault)) {
                 // The page came from the other port, bridge and all: the
                 // canvas showed, its spinner gone, until the tap.
                 const std::string canvas = run.file("canvas.json");
                 EXPECT_NE(canvas.find("PennantCanvasWebView"), std::string::npos) << cell.label;
                 EXPECT_EQ(canvas.find("ActivityIndicatorView"), std::string::npos) << cell.label;
                 EXPECT_EQ(modalSteps(run), (std::vector<std::string>{"canvas will-present", "canvas presented",
                                                                      "canvas dismiss-requested", "canvas dismissed"}))
                     << cell.label;
                 return;
               }
               // A page that fails, or that has no bridge, closes the canvas
               // without a word.
               const auto steps = modalSteps(run);
               ASSERT_FALSE(steps.empty()) << cell.label;
               EXPECT_EQ(steps.front(), "canvas will-present") << cell.label;
               EXPECT_EQ(steps.back(), "canvas dismissed") << cell.label;
               EXPECT_EQ(std::count(steps.begin(), steps.end(), "canvas dismissed"), 1) << cell.label;
               for (const auto& line : run.logLines()) {
                 EXPECT_EQ(line.rfind("Pennant", 0), std::string::npos) << cell.label << ": " << line;
               }
             },
             true, true, "views canvas\ntap 160 440\nwait 1.5\n"});
}

}  // namespace
}  // namespace e2e
