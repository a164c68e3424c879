#pragma once
// The app's read-only resources (images, sounds, fonts), looked up by name
// and type. The folder is the first of:
//   1. the one set with `setResourcePath` (tests);
//   2. $<PREFIX>BUNDLE_DIR, with the prefix of the app's identity;
//   3. share/<file name> in the folder above the program's, as installed
//      (<prefix>/bin/my-app finds <prefix>/share/my-app), or up to two more
//      folders further up, where the build lays out the same copy
//      (build/app/my-app finds build/share/my-app).
// A variable that is set wins even when its folder is missing: the user
// asked for it, and silently taking another bundle would hide the mistake.
//
// A resource that is not there is reported once per name, on stderr and in
// the journal (platform::log), naming the file and where it was looked for:
// a missing sound or font never goes unnoticed.

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Bundle {
 public:
  static Bundle& mainBundle();

  // The resource folder, or the empty string when none was found.
  std::string resourcePath() const;
  // nullopt goes back to the automatic choice.
  void setResourcePath(std::optional<std::string> path);

  // Where the folder is looked for, in order, as the missing-resource
  // message names it: "MY_APP_BUNDLE_DIR (not set), /usr/share/my-app, ...".
  std::string searchedPlaces() const;

  // "<folder>/<name>.<type>" (just <name> when the type is empty) if that
  // file exists, else nullopt, reported the first time. Names that would
  // leave the folder ("..", absolute paths) find nothing.
  std::optional<std::string> pathForResourceOfType(std::string_view name, std::string_view type) const;

 private:
  Bundle() = default;
  void reportMissing(const std::string& fileName, const std::string& folder) const;

  std::optional<std::string> resourcePath_;
  mutable std::mutex reportedMutex_;
  mutable std::set<std::string> reported_;
};

}  // namespace platform
