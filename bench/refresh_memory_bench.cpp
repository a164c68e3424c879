// Resident memory of an ad view over many refreshes. The program creates
// the ad view, waits for the first ad, then asks for a fresh ad 1000 times;
// each time it lets the run loop work until the controller's shown ad has
// changed, advances the simulated clock by 1 s so that the 0.7 s flip ends
// and the old banner goes, and draws the new banner once, as the screen
// would. It reads the resident set size (/proc/self/statm) after the first
// ad, after a tenth of the refreshes and after all of them.
//
// The growth that counts is from the tenth to the last refresh: by then the
// one-time costs (fonts and text layout, libcurl's connection cache, the
// icons in the image cache, allocator arenas) have been paid, so what grows
// afterwards grows with the number of refreshes.
//
// The server runs as a child process (pennant-adserver) so that its own
// memory is not counted, with a text-only inventory: an image banner would
// stop the refreshes.
//
//   build-ui/bench/refresh_memory_bench            1000 refreshes
//   build-ui/bench/refresh_memory_bench --quick    100 refreshes
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "ads/PennantSingleAdView.h"
#include "bench/AdBenchSupport.h"
#include "platform/foundation/SimulatedClock.h"
#include "platform/graphics/GraphicsContext.h"

extern char** environ;

namespace {

// pennant-adserver in a child process; its base URL is read from the line
// it prints once it accepts requests.
class ChildAdServer {
 public:
  bool start(const std::string& inventory) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::string binary = PENNANT_BENCH_ADSERVER;
    char* argv[] = {binary.data(), const_cast<char*>("--port"), const_cast<char*>("0"),
                    const_cast<char*>("--inventory"), const_cast<char*>(inventory.c_str()), nullptr};
    int spawned = posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
      ::close(pipeFds[0]);
      pid_ = -1;
      return false;
    }
    output_ = ::fdopen(pipeFds[0], "r");
    char line[256];
    const char* marker = "listening on ";
    while (output_ && std::fgets(line, sizeof line, output_)) {
      if (const char* at = std::strstr(line, marker)) {
        baseUrl_ = at + std::strlen(marker);
        while (!baseUrl_.empty() && (baseUrl_.back() == '\n' || baseUrl_.back() == '\r')) baseUrl_.pop_back();
        return true;
      }
    }
    return false;
  }
  ~ChildAdServer() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    if (output_) std::fclose(output_);
  }
  const std::string& baseUrl() const { return baseUrl_; }

 private:
  pid_t pid_ = -1;
  std::FILE* output_ = nullptr;
  std::string baseUrl_;
};

int refreshCount = 1000;

double kibibytes(long bytes) { return static_cast<double>(bytes) / 1024.0; }

void BM_RefreshResidentMemory(benchmark::State& state) {
  const int refreshes = static_cast<int>(state.range(0));
  const int checkpoint = refreshes / 10;
  platform::RunLoop loop(std::make_shared<platform::SimulatedClock>());
  loop.makeCurrent();
  auto host = std::make_shared<bench::BenchHost>();
  auto context = platform::graphics::GraphicsContext::imageContext(320, 48);

  for (auto _ : state) {
    auto view = pennant::PennantView::requestAdWithDelegate(host);
    auto controller = bench::controllerOf(view);
    if (!bench::settleSimulatedLoopUntil(loop, [&] { return host->received + host->failed > 0; }) ||
        host->received != 1) {
      state.SkipWithError("the first ad did not load");
      break;
    }
    auto drawShownBanner = [&] {
      auto banner = view->viewWithTag(1);
      if (banner && banner != view) banner->drawRect(*context, banner->bounds());
    };
    drawShownBanner();
    long first = bench::residentBytes(), atCheckpoint = 0;

    std::string failure;
    for (int refresh = 1; refresh <= refreshes && failure.empty(); ++refresh) {
      const pennant::PennantAd* shown = controller->currentlyDisplayedAd().get();
      view->requestFreshAd();
      if (!bench::settleSimulatedLoopUntil(loop, [&] { return controller->currentlyDisplayedAd().get() != shown; })) {
        failure = "refresh " + std::to_string(refresh) + ": no fresh ad flipped in";
        break;
      }
      loop.advanceBy(1.0);
      // After the flip only the new banner may be left in the ad view.
      if (view->subviews().size() != 1) {
        failure = "refresh " + std::to_string(refresh) + ": " + std::to_string(view->subviews().size()) +
                  " banners in the ad view after the flip";
        break;
      }
      drawShownBanner();
      if (refresh == checkpoint) atCheckpoint = bench::residentBytes();
    }
    if (!failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
    long last = bench::residentBytes();
    state.counters["rss_first_KiB"] = kibibytes(first);
    state.counters["rss_" + std::to_string(checkpoint) + "_KiB"] = kibibytes(atCheckpoint);
    state.counters["rss_" + std::to_string(refreshes) + "_KiB"] = kibibytes(last);
    state.counters["growth_KiB"] = kibibytes(last - atCheckpoint);
    std::printf("RSS after the first ad %.0f KiB, after %d refreshes %.0f KiB, after %d refreshes %.0f KiB; "
                "growth from %d to %d: %.0f KiB (target under 1024 KiB)\n",
                kibibytes(first), checkpoint, kibibytes(atCheckpoint), refreshes, kibibytes(last), checkpoint,
                refreshes, kibibytes(last - atCheckpoint));
    std::fflush(stdout);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // --quick is ours; everything else is Google Benchmark's.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      refreshCount = 100;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  std::string home = bench::makeBenchHome("en");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  ChildAdServer server;
  if (!server.start(PENNANT_BENCH_TEXT_INVENTORY)) {
    std::fprintf(stderr, "could not start %s\n", PENNANT_BENCH_ADSERVER);
    return 1;
  }
  pennant::PennantAdServer::setRequestHost(server.baseUrl());
  pennant::PennantAdServer::setStaticMediaHost(server.baseUrl());

  benchmark::RegisterBenchmark("BM_RefreshResidentMemory", BM_RefreshResidentMemory)
      ->Arg(refreshCount)
      ->Iterations(1)
      ->UseRealTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(home);
  return 0;
}
