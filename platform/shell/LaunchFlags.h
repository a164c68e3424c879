#pragma once
// The table of the command-line flags: name, environment variable, value
// shape, help text, and how each one sets and checks its option.
// AppLauncher parses with it and prints --help from it, so the two never
// disagree.
//
// The platform's own flags are built in. The app and the libraries it hosts
// add theirs (the ad library its server hosts) with `add` before start-up;
// their values are kept as text in LaunchOptions::added and taken into
// effect by their own `apply` when the options are applied.
//
// Environment variables are named without the app's prefix here: "HOME"
// is read as MY_APP_HOME when the app's identity has the prefix "MY_APP_".

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell/LaunchOptions.h"

namespace platform::shell {

struct LaunchFlag {
  // Sets the option from its text; answers an error message or "".
  using Setter = std::function<std::string(LaunchOptions&, const std::string&)>;
  // Takes an added flag's value into effect at start-up.
  using Applier = std::function<void(const std::string&)>;

  const char* name;
  const char* env;        // after the app's prefix; nullptr for a flag without a variable
  const char* valueName;  // nullptr for a flag without a value
  const char* help;
  Setter set;
  // Only for added flags (see add).
  Applier apply = nullptr;
};

class LaunchFlags {
 public:
  // A flag the app or a library adds: `check` answers an error message for
  // a value it refuses, or ""; `apply` takes the value into effect.
  struct Added {
    const char* name;
    const char* env;
    const char* valueName;
    const char* help;
    std::function<std::string(const std::string&)> check;
    LaunchFlag::Applier apply;
  };

  // The platform's flags followed by the added ones, in the order added.
  static const std::vector<LaunchFlag>& all();
  // The flag with that name ("-h" is --help), or nullptr.
  static const LaunchFlag* find(const std::string& name);
  // Adds a flag, or replaces the added flag of the same name (so adding
  // twice does no harm). The platform's own flags cannot be replaced: false.
  static bool add(Added flag);
  // on/yes/true/1 and off/no/false/0; nullopt for anything else.
  static std::optional<bool> onOff(const std::string& text);
};

}  // namespace platform::shell
