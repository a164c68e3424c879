#include "tools/inspect/JsonCommand.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "json/CanonicalWriter.h"
#include "json/JSONDeserializer.h"
#include "tools/inspect/CommandRegistry.h"

namespace pennant::inspect {

namespace {

const CommandRegistration registration{"json", "[--any] [--repeat N] FILE", &JsonCommand::run};

int usageError(const std::string& message) {
  std::cerr << "pennant-inspect json: " << message << "\n"
            << "usage: pennant-inspect json [--any] [--repeat N] FILE   (FILE may be - for standard input)\n";
  return 2;
}

std::optional<std::vector<std::uint8_t>> readInput(const std::string& path) {
  if (path == "-") {
    std::cin >> std::noskipws;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad()) return std::nullopt;
    return bytes;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

std::shared_ptr<const json::Value> parse(const json::ByteScanner::Data& data, bool any, platform::Error* error) {
  auto deserializer = json::JSONDeserializer::deserializer();
  return any ? deserializer->deserializeError(data, error) : deserializer->deserializeAsDictionaryError(data, error);
}

void reportThroughput(const json::ByteScanner::Data& data, bool any, long repeat) {
  std::vector<double> seconds;
  seconds.reserve(static_cast<std::size_t>(repeat));
  for (long i = 0; i < repeat; ++i) {
    const auto start = std::chrono::steady_clock::now();
    auto result = parse(data, any, nullptr);
    const auto stop = std::chrono::steady_clock::now();
    seconds.push_back(std::chrono::duration<double>(stop - start).count());
  }
  std::nth_element(seconds.begin(), seconds.begin() + static_cast<std::ptrdiff_t>(seconds.size() / 2), seconds.end());
  const double median = std::max(seconds[seconds.size() / 2], 1e-9);
  std::fprintf(stderr, "median of %ld parses: %.0f parses/s, %.1f MB/s\n", repeat, 1.0 / median,
               static_cast<double>(data->size()) / median / 1e6);
}

}  // namespace

int JsonCommand::run(const std::vector<std::string>& arguments) {
  bool any = false;
  long repeat = 0;
  std::optional<std::string> path;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--any") {
      any = true;
    } else if (argument == "--repeat") {
      if (i + 1 >= arguments.size()) return usageError("--repeat needs a count");
      const std::string& count = arguments[++i];
      const auto result = std::from_chars(count.data(), count.data() + count.size(), repeat);
      if (result.ec != std::errc() || result.ptr != count.data() + count.size() || repeat < 1) {
        return usageError("--repeat needs a positive count, not '" + count + "'");
      }
    } else if (argument.size() > 1 && argument[0] == '-') {
      return usageError("unknown option '" + argument + "'");
    } else if (path) {
      return usageError("more than one FILE");
    } else {
      path = argument;
    }
  }
  if (!path) return usageError("no FILE given");

  auto bytes = readInput(*path);
  if (!bytes) return usageError("cannot read '" + *path + "'");
  const auto data = std::make_shared<const std::vector<std::uint8_t>>(std::move(*bytes));

  // Every error the reader stores has a domain, so an empty one means that
  // none was stored.
  platform::Error error;
  const auto result = parse(data, any, &error);
  const bool errorStored = !error.domain.empty();
  if (repeat > 0) reportThroughput(data, any, repeat);

  if (result) {
    std::cout << json::CanonicalWriter::canonicalForm(*result) << '\n';
    return 0;
  }
  if (!errorStored) {
    std::cout << "error\n";
  } else if (error.description.empty()) {
    std::cout << "error " << error.domain << ' ' << error.code << '\n';
  } else {
    std::cout << "error " << error.domain << ' ' << error.code << ' ' << error.description << '\n';
  }
  return 1;
}

}  // namespace pennant::inspect
