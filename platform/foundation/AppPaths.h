#pragma once
// Where the app keeps its files. The home folder defaults to
// $XDG_DATA_HOME/<file name>, else ~/.local/share/<file name>, with the
// file name of the app's identity (AppIdentity); the front
// end replaces it from its --home flag, and tests point it at a temporary
// folder. The folders below it are not created here: whoever writes into
// one creates it (FileManager::createDirectoryAtPath).

#include <optional>
#include <string>

namespace platform {

class AppPaths {
 public:
  static std::string home();
  // nullopt goes back to the default.
  static void setHome(std::optional<std::string> path);
  // <home>/Documents
  static std::string documentsDirectory();
  // <home>/Library/Preferences
  static std::string preferencesDirectory();
  // <home>/tmp
  static std::string temporaryDirectory();
  // The default home for the given environment values (either may be null).
  static std::string defaultHome(const char* xdgDataHome, const char* userHome);
};

}  // namespace platform
