#pragma once
// The table of the app's command-line flags: name, environment variable,
// value shape, help text, and how each one sets and checks its option.
// AppLauncher parses with it and prints --help from it, so the two never
// disagree.

#include <optional>
#include <string>
#include <vector>

#include "platform/shell/LaunchOptions.h"

namespace platform::shell {

struct LaunchFlag {
  // Sets the option from its text; answers an error message or "".
  using Setter = std::string (*)(LaunchOptions&, const std::string&);

  const char* name;
  const char* env;        // nullptr for a flag without a variable
  const char* valueName;  // nullptr for a flag without a value
  const char* help;
  Setter set;
};

class LaunchFlags {
 public:
  static const std::vector<LaunchFlag>& all();
  // The flag with that name ("-h" is --help), or nullptr.
  static const LaunchFlag* find(const std::string& name);
  // on/yes/true/1 and off/no/false/0; nullopt for anything else.
  static std::optional<bool> onOff(const std::string& text);
};

}  // namespace platform::shell
