#pragma once
// Start-up shared by both front ends: reads the command line and the
// environment into LaunchOptions, applies them to the platform (home
// folder, address-book folder, device identifier, language and locale, location settings, screen
// scale, fonts, audio), hands them to the app's options hook, creates the
// app's delegate and runs the window or the headless driver.
//
//   AppLauncher::setOptionsHook([](const LaunchOptions& o) { ...read o.requestHost... });
//   return AppLauncher::main(argc, argv, "Vorla_ButtonAppDelegate");
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
  // Text the app adds to the end of --help: what the shell cannot know, such
  // as which ad server it talks to when no host is given.
  static void setUsageNotes(std::string notes);

  // Called with the parsed options after they were applied to the platform
  // and before the delegate is created: where the app reads settings the
  // shell must not know about (the ad server's hosts).
  static void setOptionsHook(OptionsHook hook);

  // Applies the options to the platform's process-wide settings. Returns an
  // error message, or the empty string.
  static std::string apply(const LaunchOptions& options);

  // The whole start: parse, help or errors, apply, hook, delegate, front end.
  static int main(int argc, char** argv, const std::string& delegateClassName);
};

}  // namespace platform::shell
