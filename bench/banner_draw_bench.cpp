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
//   build-ui/bench/banner_draw_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <cstdio>
#include <memory>
#include <vector>

#include "ads/PennantSingleAdView.h"
#include "bench/AdBenchSupport.h"
#include "platform/graphics/GraphicsContext.h"

namespace {

using platform::graphics::GraphicsContext;

struct DrawSetup {
  std::unique_ptr<bench::BenchAdServer> server;
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

}  // namespace

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

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  s.views.clear();
  s.server.reset();
  std::filesystem::remove_all(home);
  return 0;
}
