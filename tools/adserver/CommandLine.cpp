#include "tools/adserver/CommandLine.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace pennant::adserver {

namespace {

std::optional<int> portFromText(const std::string& text) {
  int port = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (ec != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535) return std::nullopt;
  return port;
}

}  // namespace

std::string CommandLine::usage() {
  return "usage: pennant-adserver [--port N] [--inventory DIR] [--log FILE] [--host 127.0.0.1] [--faults FILE]\n"
         "                       [--only-action ACTION]\n"
         "\n"
         "Serves the ad protocol from an inventory folder on a loopback address.\n"
         "  --port N          port to listen on; 0 picks a free one (env PENNANT_ADSERVER_PORT, default 0)\n"
         "  --inventory DIR   inventory folder (env PENNANT_ADSERVER_INVENTORY, default the sample inventory)\n"
         "  --log FILE        append one JSON line per request (env PENNANT_ADSERVER_LOG)\n"
         "  --host ADDRESS    loopback address: 127.x.x.x, ::1 or localhost (env PENNANT_ADSERVER_HOST)\n"
         "  --faults FILE     JSON array of faults installed at start (env PENNANT_ADSERVER_FAULTS)\n"
         "  --only-action A   serve only the live ads whose action (\"6\") is A, such as url, canvas, call,\n"
         "                    contact (env PENNANT_ADSERVER_ONLY_ACTION, default every live ad)\n"
         "Prints \"listening on http://HOST:PORT\" once it accepts requests; stops on SIGINT or SIGTERM.\n";
}

CommandLine::Result CommandLine::parse(const std::vector<std::string>& arguments,
                                       const char* (*getEnv)(const char*), const std::string& defaultInventory) {
  Result result;
  auto fromEnv = [&](const char* name, std::string fallback) {
    const char* value = getEnv(name);
    return value && *value ? std::string(value) : fallback;
  };
  std::string port = fromEnv("PENNANT_ADSERVER_PORT", "0");
  std::string inventory = fromEnv("PENNANT_ADSERVER_INVENTORY", defaultInventory);
  std::string log = fromEnv("PENNANT_ADSERVER_LOG", "");
  std::string host = fromEnv("PENNANT_ADSERVER_HOST", "127.0.0.1");
  std::string faults = fromEnv("PENNANT_ADSERVER_FAULTS", "");
  std::string onlyAction = fromEnv("PENNANT_ADSERVER_ONLY_ACTION", "");

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& flag = arguments[i];
    if (flag == "--help" || flag == "-h") {
      result.help = true;
      return result;
    }
    std::string* target = flag == "--port"        ? &port
                          : flag == "--inventory" ? &inventory
                          : flag == "--log"       ? &log
                          : flag == "--host"      ? &host
                          : flag == "--faults"      ? &faults
                          : flag == "--only-action" ? &onlyAction
                                                    : nullptr;
    if (!target) {
      result.error = "unknown argument: " + flag;
      return result;
    }
    if (i + 1 >= arguments.size()) {
      result.error = flag + " needs a value";
      return result;
    }
    *target = arguments[++i];
  }

  AdServer::Configuration configuration;
  const auto portNumber = portFromText(port);
  if (!portNumber) {
    result.error = "not a port number: " + port;
    return result;
  }
  configuration.port = *portNumber;
  if (inventory.empty()) {
    result.error =
        "no inventory folder given (--inventory DIR), and no sample inventory in share/pennant-adserver/inventory "
        "above the program";
    return result;
  }
  configuration.inventoryDirectory = inventory;
  configuration.logFile = log;
  configuration.host = host;
  if (!onlyAction.empty()) configuration.onlyAction = onlyAction;
  if (!faults.empty()) {
    std::ifstream in(faults, std::ios::binary);
    if (!in) {
      result.error = faults + ": cannot be read";
      return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string error;
    auto rules = FaultInjector::rulesFromJsonText(text.str(), &error);
    if (!rules) {
      result.error = faults + ": " + error;
      return result;
    }
    configuration.faults = std::move(*rules);
  }
  result.configuration = std::move(configuration);
  return result;
}

}  // namespace pennant::adserver
