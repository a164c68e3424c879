// pennant-adserver: serves the ad protocol from an inventory on loopback.
// See CommandLine.h for the flags and README.md beside this file for the
// inventory, the log and the faults.

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/foundation/ExecutablePath.h"
#include "tools/adserver/AdServer.h"
#include "tools/adserver/CommandLine.h"
#include "tools/adserver/PicturePainter.h"

namespace {

const char* environment(const char* name) { return std::getenv(name); }

// The sample inventory comes with the program: <prefix>/share/pennant-adserver
// once installed, <build>/share/pennant-adserver in a build.
std::string defaultInventory() {
  auto folder = platform::ExecutablePath::shareFolder("pennant-adserver");
  return folder ? *folder + "/inventory" : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  using pennant::adserver::AdServer;
  using pennant::adserver::CommandLine;

  const std::vector<std::string> arguments(argv + 1, argv + argc);
  auto parsed = CommandLine::parse(arguments, environment, defaultInventory());
  if (parsed.help) {
    std::fputs(CommandLine::usage().c_str(), stdout);
    return 0;
  }
  if (!parsed.configuration) {
    std::fprintf(stderr, "pennant-adserver: %s\n%s", parsed.error.c_str(), CommandLine::usage().c_str());
    return 2;
  }

  // The stop signals are taken synchronously by this thread; blocking them
  // before any server thread exists makes every thread inherit the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  std::string error;
  auto server = AdServer::create(std::move(*parsed.configuration), &error);
  // Every picture is painted by now (also when the port turned out to be
  // busy) and this process draws nothing else.
  pennant::adserver::PicturePainter::releaseFontCaches();
  if (!server) {
    std::fprintf(stderr, "pennant-adserver: %s\n", error.c_str());
    return 1;
  }
  server->start();
  std::printf("listening on %s\n", server->baseUrl().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  server->stop();
  return 0;
}
