// A click on loopback against the bundled ad server, from the finger's lift
// on the banner to the call offer on the screen (the click download, its
// answer read, the spinner's end reported and the alert shown), next to its
// floor: the same click URL fetched by a libcurl easy handle that keeps its
// connection alive.
//
// The host asks for test ads with action "call", so the banner is the
// inventory's call ad. Between iterations, outside the timed region, the
// offer is cancelled and the click feedback is run to its end on the
// simulated clock, so every click starts from a banner at rest.
//
// As in ad_load_bench, each pair runs against the server as it is (/0) and
// with TCP_NODELAY on its listening socket (/1).
//
//   build/bench/click_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "bench/AdBenchSupport.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/PopupPresenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

using Clock = std::chrono::steady_clock;
using platform::ui::TouchPhase;

constexpr platform::graphics::Point kOnTheBanner{160, 456};

struct ServerCase {
  const char* name;
  std::unique_ptr<bench::BenchAdServer> server;
  std::shared_ptr<pennant::PennantView> view;
  std::vector<double> clickTimes;
  std::vector<double> floorTimes;
};

struct Setup {
  platform::RunLoop loop{std::make_shared<platform::SimulatedClock>()};
  std::shared_ptr<platform::ui::Window> window;
  std::shared_ptr<bench::BenchHost> host = std::make_shared<bench::BenchHost>();
  ServerCase cases[2] = {{"as is", nullptr, nullptr, {}, {}}, {"TCP_NODELAY", nullptr, nullptr, {}, {}}};
};

Setup& setup() {
  static Setup s;
  return s;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Puts a loaded call banner of `serverCase` at the bottom of the window.
bool showBanner(ServerCase& serverCase) {
  auto& s = setup();
  serverCase.server->pointLibraryHere();
  const int received = s.host->received;
  serverCase.view = pennant::PennantView::requestAdWithDelegate(s.host);
  if (!bench::settleSimulatedLoopUntil(s.loop, [&] { return s.host->received > received; })) return false;
  serverCase.view->setFrame({{0, 432}, {320, 48}});
  return true;
}

// Answers the shown offer with Cancel and lets the click feedback end.
void cancelOfferAndRest() {
  auto& s = setup();
  auto alert = std::dynamic_pointer_cast<platform::ui::AlertView>(platform::ui::PopupPresenter::shared().shownPopup());
  if (alert) {
    alert->dismissWithClickedButtonIndexAnimated(0, false);
    if (auto delegate = alert->delegate()) delegate->alertViewClickedButtonAtIndex(*alert, 0);
  }
  s.loop.advanceBy(2);
  bench::settleSimulatedLoopUntil(s.loop, [] { return false; });
}

void BM_FloorCurlClickFetch(benchmark::State& state) {
  auto& serverCase = setup().cases[state.range(0)];
  const std::string url = serverCase.server->baseUrl() + "/click/pizza-call";
  CURL* easy = curl_easy_init();
  curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t count, void*) { return size * count; });
  for (auto _ : state) {
    auto start = Clock::now();
    long status = 0;
    if (curl_easy_perform(easy) != CURLE_OK || curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK ||
        status != 200) {
      state.SkipWithError("the click URL could not be fetched");
      break;
    }
    serverCase.floorTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  curl_easy_cleanup(easy);
}

// The same fetch on a new connection each time (a new easy handle), which
// tells how much of the gap is the kept-alive connection.
void BM_FloorCurlFreshConnection(benchmark::State& state) {
  auto& serverCase = setup().cases[state.range(0)];
  const std::string url = serverCase.server->baseUrl() + "/click/pizza-call";
  for (auto _ : state) {
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t count, void*) { return size * count; });
    if (curl_easy_perform(easy) != CURLE_OK) state.SkipWithError("the click URL could not be fetched");
    curl_easy_cleanup(easy);
  }
}

void BM_ClickToCallOffer(benchmark::State& state) {
  auto& s = setup();
  auto& serverCase = s.cases[state.range(0)];
  serverCase.server->pointLibraryHere();
  // Only this case's banner is on the screen.
  for (auto& other : s.cases) other.view->removeFromSuperview();
  s.window->addSubview(serverCase.view);
  for (auto _ : state) {
    s.window->sendTouch(TouchPhase::Began, kOnTheBanner);
    auto start = Clock::now();
    s.window->sendTouch(TouchPhase::Ended, kOnTheBanner);
    const bool shown = bench::settleSimulatedLoopUntil(
        s.loop, [] { return platform::ui::PopupPresenter::shared().shownPopup() != nullptr; });
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    state.PauseTiming();
    if (!shown) {
      state.SkipWithError("the call offer never showed");
      state.ResumeTiming();
      break;
    }
    serverCase.clickTimes.push_back(elapsed);
    cancelOfferAndRest();
    state.ResumeTiming();
  }
  if (!serverCase.floorTimes.empty() && !serverCase.clickTimes.empty())
    state.counters["x_floor"] = median(serverCase.clickTimes) / median(serverCase.floorTimes);
}

}  // namespace

BENCHMARK(BM_FloorCurlClickFetch)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorCurlFreshConnection)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickToCallOffer)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  bench::makeBenchHome("en");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  curl_global_init(CURL_GLOBAL_DEFAULT);

  auto& s = setup();
  s.loop.makeCurrent();
  s.window = platform::ui::Window::create(platform::ui::Screen::mainScreen().bounds());
  s.window->makeKeyAndVisible();
  s.host->testAction = "call";
  for (int which = 0; which < 2; ++which) {
    auto& serverCase = s.cases[which];
    serverCase.server = bench::BenchAdServer::start(PENNANT_BENCH_BUNDLED_INVENTORY, {}, which == 1);
    if (!serverCase.server) return 1;
  }

  for (auto& serverCase : s.cases) {
    if (!showBanner(serverCase)) {
      std::fprintf(stderr, "no call banner from %s\n", serverCase.server->baseUrl().c_str());
      return 1;
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  for (auto& serverCase : s.cases) {
    const double click = median(serverCase.clickTimes), floor = median(serverCase.floorTimes);
    if (click > 0 && floor > 0) {
      std::printf("server %s: median click to offer %.3f ms, median curl fetch %.3f ms, ratio %.2fx "
                  "(target at most 1.50x)\n",
                  serverCase.name, click * 1e3, floor * 1e3, click / floor);
    }
  }
  return 0;
}
