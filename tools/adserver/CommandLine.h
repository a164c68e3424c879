#pragma once
// The command line of pennant-adserver. Every flag has an environment
// variable beside it; a flag wins over its variable.
//
//   --port N          PENNANT_ADSERVER_PORT       0 (any free port)
//   --inventory DIR   PENNANT_ADSERVER_INVENTORY  the sample inventory beside the program (share/pennant-adserver)
//   --log FILE        PENNANT_ADSERVER_LOG        none
//   --host ADDRESS    PENNANT_ADSERVER_HOST       127.0.0.1 (loopback only)
//   --faults FILE     PENNANT_ADSERVER_FAULTS     none (a JSON array of faults)
//   --only-action A   PENNANT_ADSERVER_ONLY_ACTION  none (every live ad is served)
//   --help

#include <optional>
#include <string>
#include <vector>

#include "tools/adserver/AdServer.h"

namespace pennant::adserver {

class CommandLine {
 public:
  struct Result {
    std::optional<AdServer::Configuration> configuration;  // nullopt: do not serve
    bool help = false;
    std::string error;  // set when the command line is wrong
  };

  // getEnv returns nullptr for an unset variable (std::getenv in main).
  static Result parse(const std::vector<std::string>& arguments, const char* (*getEnv)(const char*),
                      const std::string& defaultInventory);
  static std::string usage();
};

}  // namespace pennant::adserver
