#pragma once
// Start-up shared by both front ends: reads the command line and the
// environment into LaunchOptions, applies them to the platform (home
// folder, address-book folder, device identifier, language and locale, location settings, screen
// scale, fonts, audio), hands them to the app's options hook, creates the
// app's delegate and runs the window or the headless driver.
//
//   AppLauncher::setOptionsHook([](const LaunchOptions& o) { ...read o.home... });
//   return AppLauncher::main(argc, argv, "MyAppDelegate");
//
// The app's identity (AppIdentity) names the program in messages and
// --help and gives the environment variables their prefix; flags the app
// or its libraries add (LaunchFlags::add) are parsed, listed and applied
// with the platform's own.
//
// Every flag has an environment variable beside it; a flag wins over its
// variable. Exit status: 0 success, 1 a failure while running, 2 a wrong
// command line or script.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell/LaunchOptions.h"

namespace platform::shell {

class AppLauncher {
 public:
  static constexpr int kExitFailure = 1;
  static constexpr int kExitUsage = 2;

  using GetEnv = std::function<const char*(const char*)>;
  using OptionsHook = std::function<void(const LaunchOptions&)>;

  struct ParseResult {
    LaunchOptions options;
    std::string error;  // empty when the command line is good
  };

  // `arguments` excludes the program name. `getEnv` answers nullptr for an
  // unset variable.
  static ParseResult parse(const std::vector<std::string>& arguments, const GetEnv& getEnv);
  // The options, the other environment variables the platform reads, and
  // the app's own notes.
  static std::string usage();
  // Text the app or a library adds to the end of --help: what the shell
  // cannot know, such as which ad server it talks to when no host is given.
  // The same text added twice shows once.
  static void addUsageNotes(std::string notes);
  // "<program>: <message>" on stderr, the program named by its identity.
  static void printError(const std::string& message);

  // Called with the parsed options after they were applied to the platform
  // and before the delegate is created.
  static void setOptionsHook(OptionsHook hook);

  // Applies the options to the platform's process-wide settings, then the
  // added flags' values through their own `apply`. Returns an error
  // message, or the empty string.
  static std::string apply(const LaunchOptions& options);

  // Loads the font rules of the app's bundle. The front ends call it once
  // the journal is open, so that a missing file is reported there too.
  static void loadBundleFonts();

  // The whole start: parse, help or errors, apply, hook, delegate, front end.
  static int main(int argc, char** argv, const std::string& delegateClassName);

  // Sweeps the app's home of the temporary files that writes cut short by
  // the end of an earlier run left behind (TemporaryFileSweeper), with a
  // log line when there were any. The front ends call it at launch, once
  // the journal records the log.
  static void removeStaleTemporaryFiles();
};

}  // namespace platform::shell
