#pragma once
// The entry point of a program that hosts Pennant banners: it gives the
// program what the library needs around it (the run loop, a window, the
// desktop window or the headless script driver as front end, the command
// line) without the program touching the platform underneath.
//
//   int main(int argc, char** argv) {
//     std::shared_ptr<MyHost> host;  // a PennantDelegate of the program's
//     return pennant::PennantHost::main(argc, argv, {
//         .name = "My Host", .fileName = "my-host", .environmentPrefix = "MY_HOST_",
//         .deviceIdentifierSalt = "my-host device identifier v1\n",
//         .didFinishLaunching = [&host](pennant::PennantHostWindow& window) {
//           host = std::make_shared<MyHost>(window);
//           host->start();  // PennantView::requestAdWithDelegate(host) ...
//         }});
//   }
//
// The program then runs like the app that ships with the library: in a
// desktop window of 320 x 480 points, or with --headless --script FILE
// --out DIR driven by a script that writes an event journal and
// screenshots; --help lists every flag, among them --request-host and
// --media-host for the ad server. See docs/hosting.md.
//
// Everything runs on the main thread, driven by one run loop: the library's
// callbacks, didFinishLaunching and the actions of repeatEvery.

#include <functional>
#include <string>

#include "ads/PennantHostWindow.h"
#include "platform/graphics/Color.h"

namespace pennant {

struct PennantHostApp {
  // The program's names, which the platform needs and has none of its own:
  // the window's title and the product id of address-book entries...
  std::string name;
  // ...one path component for its home folder ($XDG_DATA_HOME/<fileName>),
  // its preferences and its messages...
  std::string fileName;
  // ...the prefix of the environment variable beside each flag
  // ("MY_HOST_" reads MY_HOST_REQUEST_HOST)...
  std::string environmentPrefix;
  // ...and the salt of the device identifier sent to the ad server, which
  // keeps it apart from other programs'. Never change it once shipped.
  std::string deviceIdentifierSalt;
  // The window's background colour.
  platform::graphics::Color backgroundColor = platform::graphics::Color::whiteColor();
  // Called once, when the window is up: request ad views here.
  std::function<void(PennantHostWindow& window)> didFinishLaunching;
};

class PennantHost {
 public:
  // Runs the program and returns its exit status: 0 when it ended normally,
  // 1 when something failed while running, 2 for a wrong command line or
  // script. Call once, from main.
  static int main(int argc, char** argv, PennantHostApp app);
};

}  // namespace pennant
