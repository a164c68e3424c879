// Reads the same bytes with our deserializer and, where installed, with
// RapidJSON (DOM), nlohmann::json and simdjson (DOM, one parser reused).
// "Pennant" keeps one deserializer, as the ad library does, so each parse
// reuses the memory of the last one (like simdjson's reused parser);
// "PennantOneShot" makes a new deserializer for every parse.
//   build-json/bench/json_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bench/JsonBenchData.h"
#include "json/JSONDeserializer.h"

#ifdef PENNANT_BENCH_RAPIDJSON
#include <rapidjson/document.h>
#endif
#ifdef PENNANT_BENCH_NLOHMANN
#include <nlohmann/json.hpp>
#endif
#ifdef PENNANT_BENCH_SIMDJSON
#include <simdjson.h>
#endif

namespace {

const std::string& document(int which) {
  static const std::string documents[] = {bench::adAnswer(), bench::clickAnswer(), bench::generatedDocument()};
  return documents[which];
}

void setLabel(benchmark::State& state, int which) {
  static const char* const kNames[] = {"ad answer", "click answer", "generated 2 MB"};
  state.SetLabel(kNames[which]);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(document(which).size()));
}

void Pennant(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const auto data = json::ByteScanner::dataWithBytes(document(which));
  auto deserializer = json::JSONDeserializer::deserializer();
  for (auto _ : state) {
    auto result = deserializer->deserializeAsDictionaryError(data, nullptr);
    if (!result) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(result);
  }
  setLabel(state, which);
}
BENCHMARK(Pennant)->DenseRange(0, 2);

void PennantOneShot(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const auto data = json::ByteScanner::dataWithBytes(document(which));
  for (auto _ : state) {
    auto result = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(data, nullptr);
    if (!result) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(result);
  }
  setLabel(state, which);
}
BENCHMARK(PennantOneShot)->DenseRange(0, 2);

#ifdef PENNANT_BENCH_RAPIDJSON
void RapidJSON(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::string& text = document(which);
  for (auto _ : state) {
    rapidjson::Document parsed;
    parsed.Parse(text.data(), text.size());
    if (parsed.HasParseError()) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(parsed);
  }
  setLabel(state, which);
}
BENCHMARK(RapidJSON)->DenseRange(0, 2);
#endif

#ifdef PENNANT_BENCH_NLOHMANN
void Nlohmann(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const std::string& text = document(which);
  for (auto _ : state) {
    auto parsed = nlohmann::json::parse(text.begin(), text.end());
    benchmark::DoNotOptimize(parsed);
  }
  setLabel(state, which);
}
BENCHMARK(Nlohmann)->DenseRange(0, 2);
#endif

#ifdef PENNANT_BENCH_SIMDJSON
void Simdjson(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  // simdjson needs padding after the text; the copy is made once, outside.
  const simdjson::padded_string text(document(which));
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element parsed;
    if (parser.parse(text).get(parsed) != simdjson::SUCCESS) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(parsed);
  }
  setLabel(state, which);
}
BENCHMARK(Simdjson)->DenseRange(0, 2);
#endif

}  // namespace

BENCHMARK_MAIN();
