// One cold ad load on loopback against the bundled ad server, from
// PennantView::requestAdWithDelegate to the host's didReceiveAd, next to its
// floor: the very URLs of one load (read back from the server's request log,
// in the order the server received them) fetched one after another by a
// single libcurl easy handle that keeps its connection alive.
//
// Cold means the four browser icons, the action icon and the strings file
// are not cached: both caches are cleared before each iteration, outside the
// timed region. The host asks for test ads with action "call", so every load
// is the same text ad (a 38x38 icon and a 30x30 action icon) and the floor's
// URLs fit every iteration. The localizer is set to French so the strings
// file is a real transfer.
//
// Each pair runs twice: /0 against the bundled server as it is, /1 against
// the same server with TCP_NODELAY set on its listening socket. As it is,
// the server writes an answer's headers and body separately without
// TCP_NODELAY, so on a kept-alive connection the body waits for the client's
// delayed acknowledgement (about 40 ms on Linux); /1 shows what the library
// and libcurl cost without that stall.
//
//   build-ui/bench/ad_load_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/AdBenchSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

// One server and what was measured against it.
struct ServerCase {
  const char* name;
  std::unique_ptr<bench::BenchAdServer> server;
  std::string requestLog;
  std::vector<std::string> floorUrls;
  // Every timed pass, in seconds, for the medians printed at the end.
  std::vector<double> loadTimes;
  std::vector<double> floorTimes;
};

struct LoadSetup {
  std::shared_ptr<bench::BenchHost> host = std::make_shared<bench::BenchHost>();
  ServerCase cases[2] = {{"as shipped", {}, {}, {}, {}, {}}, {"TCP_NODELAY", {}, {}, {}, {}, {}}};
};

LoadSetup& setup() {
  static LoadSetup instance;
  return instance;
}

ServerCase& caseFor(benchmark::State& state) {
  auto& serverCase = setup().cases[state.range(0)];
  serverCase.server->pointLibraryHere();
  state.SetLabel(serverCase.name);
  return serverCase;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Starts a load, runs the loop until the host hears of it and returns the
// view; nullptr when the ad failed or nothing arrived in time.
std::shared_ptr<pennant::PennantView> loadOneAd(platform::RunLoop& loop, bench::BenchHost& host,
                                                const std::shared_ptr<bench::BenchHost>& hostPointer) {
  host.received = host.failed = 0;
  auto view = pennant::PennantView::requestAdWithDelegate(hostPointer);
  bool arrived = bench::runRealLoopUntil(loop, [&] { return host.received + host.failed > 0; });
  return arrived && host.received == 1 ? view : nullptr;
}

// Untimed tail of a load: the strings file is not part of the ad's own
// downloads and may still be arriving; it must not overlap the next load.
bool finishLoad(platform::RunLoop& loop, std::shared_ptr<pennant::PennantView>& view) {
  bool stored = bench::runRealLoopUntil(loop, bench::stringsFileIsStored);
  view.reset();
  loop.runPending();
  // Icons are written to the cache in the background; one that lands after
  // the caches are cleared would make the next load warm.
  return bench::runRealLoopUntil(loop, [&loop] { return loop.workInFlightCount() == 0; }) && stored;
}

void BM_FloorSequentialCurl(benchmark::State& state) {
  auto& s = caseFor(state);
  CURL* easy = curl_easy_init();
  std::size_t bytes = 0;
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, +[](char*, size_t size, size_t count, void* total) {
    *static_cast<std::size_t*>(total) += size * count;
    return size * count;
  });
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bytes);
  for (auto _ : state) {
    auto start = Clock::now();
    for (const auto& url : s.floorUrls) {
      curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
      CURLcode result = curl_easy_perform(easy);
      long status = 0;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      if (result != CURLE_OK || status >= 400) {
        state.SkipWithError(("floor fetch failed: " + url).c_str());
        break;
      }
    }
    s.floorTimes.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  long connects = 0;
  curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &connects);
  curl_easy_cleanup(easy);
  state.counters["requests"] = static_cast<double>(s.floorUrls.size());
  state.counters["bytes"] = benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}

void BM_ColdAdLoad(benchmark::State& state) {
  auto& s = caseFor(state);
  auto& host = setup().host;
  auto& loop = platform::RunLoop::main();
  // Every pass must be as cold as the one the floor was taken from, making
  // the very same requests: counted in the server's log once all passes are
  // done, since reading it between passes would disturb them.
  std::size_t logged = bench::lineCount(s.requestLog), passes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    bench::clearAdCaches();
    state.ResumeTiming();

    auto start = Clock::now();
    auto view = loadOneAd(loop, *host, host);
    double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    state.PauseTiming();
    if (!view) {
      state.SkipWithError("the ad did not load");
      state.ResumeTiming();
      break;
    }
    s.loadTimes.push_back(elapsed);
    if (!finishLoad(loop, view)) {
      state.SkipWithError("the strings file never arrived");
      state.ResumeTiming();
      break;
    }
    ++passes;
    state.ResumeTiming();
  }
  // The server logs a request once it has answered it: the last lines may
  // still be on their way.
  std::size_t expected = passes * s.floorUrls.size(), requests = 0;
  bench::runRealLoopUntil(loop, [&] { return (requests = bench::lineCount(s.requestLog) - logged) >= expected; });
  if (requests != expected) state.SkipWithError("a pass did not make the very requests of a cold load");
  state.counters["requests"] = passes ? static_cast<double>(requests) / static_cast<double>(passes) : 0;
  if (!s.floorTimes.empty() && !s.loadTimes.empty())
    state.counters["x_floor"] = median(s.loadTimes) / median(s.floorTimes);
}

// The floor's URLs: one cold load with the request log's lines counted
// before and after it.
bool captureFloorUrls(ServerCase& s, const std::string& logFile) {
  auto& host = setup().host;
  auto& loop = platform::RunLoop::main();
  s.server->pointLibraryHere();
  bench::clearAdCaches();
  std::size_t before = bench::lineCount(logFile);
  auto view = loadOneAd(loop, *host, host);
  if (!view || !finishLoad(loop, view)) return false;
  s.floorUrls = bench::urlsFromRequestLog(logFile, s.server->baseUrl(), before);
  std::printf("URLs of one cold load (%zu, server %s), from its request log:\n", s.floorUrls.size(), s.name);
  for (const auto& url : s.floorUrls) std::printf("  %s\n", url.c_str());
  std::fflush(stdout);  // before the benchmark library's own output
  return !s.floorUrls.empty();
}

}  // namespace

// The floor runs first so that the load's row can show its ratio to it.
BENCHMARK(BM_FloorSequentialCurl)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdAdLoad)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  std::string home = bench::makeBenchHome("fr");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  curl_global_init(CURL_GLOBAL_DEFAULT);

  auto& s = setup();
  s.host->testAction = "call";
  for (int which = 0; which < 2; ++which) {
    auto& serverCase = s.cases[which];
    std::string logFile = home + "/requests-" + std::to_string(which) + ".jsonl";
    serverCase.requestLog = logFile;
    serverCase.server = bench::BenchAdServer::start(PENNANT_BENCH_BUNDLED_INVENTORY, logFile, which == 1);
    if (!serverCase.server) return 1;
    if (!captureFloorUrls(serverCase, logFile)) {
      std::fprintf(stderr, "one cold load against %s did not complete\n", serverCase.server->baseUrl().c_str());
      return 1;
    }
  }

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  for (auto& serverCase : s.cases) {
    double load = median(serverCase.loadTimes), floor = median(serverCase.floorTimes);
    if (load > 0 && floor > 0) {
      std::printf("server %s: median cold load %.3f ms, median floor %.3f ms, ratio %.2fx (target at most 1.50x), "
                  "%zu / %zu passes\n",
                  serverCase.name, load * 1e3, floor * 1e3, load / floor, serverCase.loadTimes.size(),
                  serverCase.floorTimes.size());
    }
    serverCase.server.reset();
  }
  std::filesystem::remove_all(home);
  return 0;
}
