// pennant-inspect user-agent
//
// Prints the user agent that every download of the ad library sends from this
// machine, with the locale of the current environment.

#include <iostream>
#include <string>
#include <vector>

#include "ads/PennantURLDownload.h"
#include "tools/inspect/CommandRegistry.h"

namespace pennant::inspect {
namespace {

int runUserAgent(const std::vector<std::string>& arguments) {
  if (!arguments.empty()) {
    std::cerr << "usage: pennant-inspect user-agent\n";
    return 2;
  }
  std::cout << PennantURLDownload::userAgent() << '\n';
  return 0;
}

const CommandRegistration registration{"user-agent", "", &runUserAgent};

}  // namespace
}  // namespace pennant::inspect
