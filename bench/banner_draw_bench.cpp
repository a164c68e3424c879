// How long a banner's drawRect takes: a loaded text ad (38x38 icon, 30x30
// action icon, a short text with the "Ads by Pennant" line under it) and an
// image banner (a 320x48 picture), each drawn into a 320x48 image context at
// scale 1 and at scale 2. The context is made once and drawn over again, as
// a renderer's surface would be.
//
// The ads are real: loaded once from the bundled server in test mode with
// action "url", which hands out the image banner and the coffee text ad in
// turn. The host's colours are the app's (black background, white text).
//
// Hostile texts, each a text ad served from an inventory written at start:
// 500,000 spaces, one letter under 200,000 combining accents, 40 KB of plain
// letters, and a long word inside a short text. BM_DrawHostileText times a
// redraw of each; BM_FirstDrawOfHostileText a banner's first drawing, which
// lays the text out.
//
//   build/bench/banner_draw_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ads/PennantSingleAdView.h"
#include "bench/AdBenchSupport.h"
#include "platform/graphics/GraphicsContext.h"

namespace {

using platform::graphics::GraphicsContext;

// Text ad answers that once froze drawing, by their action.
struct HostileText {
  const char* action;
  std::string text;
};

std::vector<HostileText> hostileTexts() {
  std::string accents = "a";
  for (int i = 0; i < 200000; ++i) accents += "\xCC\x81";
  return {{"spaces", std::string(500000, ' ')},
          {"accents", accents},
          {"letters", std::string(40000, 'x')},
          {"word", "Fresh " + std::string(30000, 'b') + " bread"}};
}

// An inventory of one text ad per hostile text, under `home`.
std::string writeHostileInventory(const std::string& home) {
  const std::string folder = home + "/hostile-inventory";
  std::filesystem::create_directories(folder + "/ads");
  std::filesystem::copy_file(std::string(PENNANT_BENCH_TEXT_INVENTORY) + "/pictures.json", folder + "/pictures.json");
  for (const auto& hostile : hostileTexts()) {
    std::ofstream(folder + "/ads/" + hostile.action + ".json")
        << R"({"ad": {"text": ")" << hostile.text << R"(", "6": ")" << hostile.action
        << R"(", "18": "url", "url": "http://x.example/", "204": "/static/ads/coffee.png"}})";
  }
  return folder;
}

struct DrawSetup {
  std::unique_ptr<bench::BenchAdServer> server;
  std::unique_ptr<bench::BenchAdServer> hostileServer;
  std::vector<std::shared_ptr<pennant::PennantAd>> hostileAds;
  std::shared_ptr<bench::BenchHost> host = std::make_shared<bench::BenchHost>();
  std::vector<std::shared_ptr<pennant::PennantView>> views;
  std::shared_ptr<pennant::PennantAd> textAd;
  std::shared_ptr<pennant::PennantAd> imageAd;
};

DrawSetup& setup() {
  static DrawSetup instance;
  return instance;
}

// Loads ads until there is one of each kind (the rotation alternates, so
// four loads are plenty).
bool loadBothKinds() {
  auto& s = setup();
  auto& loop = platform::RunLoop::main();
  for (int attempt = 0; attempt < 4 && !(s.textAd && s.imageAd); ++attempt) {
    s.host->received = s.host->failed = 0;
    auto view = pennant::PennantView::requestAdWithDelegate(s.host);
    if (!bench::runRealLoopUntil(loop, [&] { return s.host->received + s.host->failed > 0; })) return false;
    auto controller = bench::controllerOf(view);
    auto ad = controller ? controller->currentlyDisplayedAd() : nullptr;
    if (!ad) return false;
    (ad->medium() == pennant::PennantAd::Medium::Banner ? s.imageAd : s.textAd) = ad;
    s.views.push_back(view);
  }
  return s.textAd && s.imageAd;
}

// Loads one text ad per hostile text from the hostile inventory.
bool loadHostileAds() {
  auto& s = setup();
  s.hostileServer->pointLibraryHere();
  for (const auto& hostile : hostileTexts()) {
    s.host->received = s.host->failed = 0;
    s.host->testAction = hostile.action;
    auto view = pennant::PennantView::requestAdWithDelegate(s.host);
    if (!bench::runRealLoopUntil(platform::RunLoop::main(), [&] { return s.host->received + s.host->failed > 0; }))
      return false;
    auto controller = bench::controllerOf(view);
    auto ad = controller ? controller->currentlyDisplayedAd() : nullptr;
    if (!ad || ad->medium() != pennant::PennantAd::Medium::Text) return false;
    s.hostileAds.push_back(ad);
    s.views.push_back(view);
  }
  return true;
}

std::shared_ptr<pennant::PennantSingleAdView> bannerFor(const std::shared_ptr<pennant::PennantAd>& ad) {
  auto banner = pennant::PennantSingleAdView::create({{0, 0}, {320, 48}});
  banner->setAd(ad);
  return banner;
}

void drawBanner(benchmark::State& state, const std::shared_ptr<pennant::PennantAd>& ad) {
  auto banner = bannerFor(ad);
  auto context = GraphicsContext::imageContext(320, 48, static_cast<double>(state.range(0)));
  if (!context) {
    state.SkipWithError("no image context");
    return;
  }
  // The first drawing reads the strings table and fires the banner's
  // pixels; neither belongs to the steady cost of a redraw.
  banner->drawRect(*context, banner->bounds());
  bench::runRealLoopUntil(platform::RunLoop::main(),
                          [] { return platform::RunLoop::main().workInFlightCount() == 0; }, 2);
  for (auto _ : state) {
    banner->drawRect(*context, banner->bounds());
    benchmark::ClobberMemory();
  }
  state.counters["scale"] = static_cast<double>(state.range(0));
}

void BM_DrawTextAd(benchmark::State& state) {
  auto& ad = setup().textAd;
  auto layout = bannerFor(ad)->textAdLayout();
  if (!layout.hasAdsByLine) {
    state.SkipWithError("the text ad has no \"Ads by Pennant\" line");
    return;
  }
  state.SetLabel(*ad->text() + ", icon " + std::to_string(static_cast<int>(ad->userImage()->size().width)) +
                 ", action " + std::to_string(static_cast<int>(ad->actionImage()->size().width)));
  drawBanner(state, ad);
}

void BM_DrawImageBanner(benchmark::State& state) {
  auto& ad = setup().imageAd;
  auto size = ad->userImage()->size();
  state.SetLabel("picture " + std::to_string(static_cast<int>(size.width)) + "x" +
                 std::to_string(static_cast<int>(size.height)));
  drawBanner(state, ad);
}

void BM_DrawHostileText(benchmark::State& state) {
  auto& ad = setup().hostileAds.at(static_cast<std::size_t>(state.range(1)));
  state.SetLabel(hostileTexts().at(static_cast<std::size_t>(state.range(1))).action);
  drawBanner(state, ad);
}

// A new banner each time: its first drawing lays the text out.
void BM_FirstDrawOfHostileText(benchmark::State& state) {
  const auto index = static_cast<std::size_t>(state.range(1));
  auto& ad = setup().hostileAds.at(index);
  state.SetLabel(hostileTexts().at(index).action);
  auto context = GraphicsContext::imageContext(320, 48, static_cast<double>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto banner = bannerFor(ad);
    state.ResumeTiming();
    banner->drawRect(*context, banner->bounds());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_DrawHostileText)->ArgsProduct({{1, 2}, {0, 1, 2, 3}})->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstDrawOfHostileText)
    ->ArgsProduct({{2}, {0, 1, 2, 3}})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawTextAd)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawImageBanner)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  std::string home = bench::makeBenchHome("en");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  auto& s = setup();
  s.server = bench::BenchAdServer::start(PENNANT_BENCH_BUNDLED_INVENTORY);
  if (!s.server) return 1;
  s.host->testAction = "url";
  if (!loadBothKinds()) {
    std::fprintf(stderr, "could not load a text ad and an image banner from %s\n", s.server->baseUrl().c_str());
    return 1;
  }
  s.hostileServer = bench::BenchAdServer::start(writeHostileInventory(home));
  if (!s.hostileServer || !loadHostileAds()) {
    std::fprintf(stderr, "could not load the hostile text ads\n");
    return 1;
  }

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  s.views.clear();
  s.hostileAds.clear();
  s.hostileServer.reset();
  s.server.reset();
  std::filesystem::remove_all(home);
  return 0;
}
