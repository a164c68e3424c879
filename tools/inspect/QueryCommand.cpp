// pennant-inspect query KEY=VALUE...
//
// Prints the query string the ad library builds from these request
// parameters, pairs in the order given (each split at its first "=").

#include <iostream>
#include <string>
#include <vector>

#include "ads/PennantAd.h"
#include "tools/inspect/CommandRegistry.h"

namespace pennant::inspect {
namespace {

int runQuery(const std::vector<std::string>& arguments) {
  PennantAd::Parameters parameters;
  for (const auto& argument : arguments) {
    auto equals = argument.find('=');
    if (equals == std::string::npos) {
      std::cerr << "pennant-inspect query: \"" << argument << "\" is not KEY=VALUE\n"
                << "usage: pennant-inspect query KEY=VALUE...\n";
      return 2;
    }
    parameters.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
  }
  auto query = PennantAd::queryStringFromDictionary(parameters);
  if (!query) {
    std::cerr << "pennant-inspect query: a key or value is not UTF-8 text\n";
    return 1;
  }
  std::cout << *query << '\n';
  return 0;
}

const CommandRegistration registration{"query", "KEY=VALUE...", &runQuery};

}  // namespace
}  // namespace pennant::inspect
