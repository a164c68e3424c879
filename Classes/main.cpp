// The app's entry point: tells the platform who the app is, adds the ad
// library's options (where the ad server is) and its download journal to
// the launcher, then hands control to the platform's application loop with
// the delegate class "Vorla_ButtonAppDelegate".

#include "ads/PennantLaunchOptions.h"
#include "platform/foundation/AppIdentity.h"
#include "platform/shell/ApplicationMain.h"

int main(int argc, char** argv) {
  // The salt must never change: the device identifier the ad server knows
  // this installation by is derived from it.
  platform::AppIdentity::setCurrent({.name = "Vorla Button",
                                     .fileName = "vorla-button",
                                     .environmentPrefix = "VORLA_",
                                     .deviceIdentifierSalt = "vorla-button device identifier v1\n"});
  pennant::PennantLaunchOptions::registerWithLauncher();
  return platform::shell::UIApplicationMain(argc, argv, nullptr, "Vorla_ButtonAppDelegate");
}
