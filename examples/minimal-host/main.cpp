// minimal-host: a window with one Pennant banner at its bottom. It runs as
// the app that ships with the library does: a desktop window, or headless
// with --headless --script FILE --out DIR; --help lists every flag, among
// them --request-host URL and --media-host URL for the ad server.

#include <pennant/PennantHost.h>

#include <memory>

#include "MinimalHost.h"

int main(int argc, char** argv) {
  std::shared_ptr<MinimalHost> host;
  return pennant::PennantHost::main(
      argc, argv,
      {.name = "Minimal Host",
       .fileName = "minimal-host",
       .environmentPrefix = "MINIMAL_HOST_",
       .deviceIdentifierSalt = "minimal-host device identifier v1\n",
       .backgroundColor = platform::graphics::Color::rgb(0xf2, 0xee, 0xe3),
       .didFinishLaunching =
           [&host](pennant::PennantHostWindow& window) {
             host = std::make_shared<MinimalHost>(window);
             host->start();
           }});
}
