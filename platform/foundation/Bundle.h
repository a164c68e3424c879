#pragma once
// The app's read-only resources (images, sounds, fonts), looked up by name
// and type. The folder is, in order: the one set with `setResourcePath`,
// $<PREFIX>BUNDLE_DIR (the prefix of the app's identity), an "assets" folder next to the executable or in one
// of its three parent folders (so a binary in a build folder finds the
// source tree's assets).

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Bundle {
 public:
  static Bundle& mainBundle();

  // The resource folder, or the empty string when none was found.
  std::string resourcePath() const;
  // nullopt goes back to the automatic choice.
  void setResourcePath(std::optional<std::string> path);

  // The automatic choice for an executable at the given path, ignoring
  // the environment: its folder's "assets", or its parents' up to three
  // levels; empty when there is none.
  static std::string resourcePathNearExecutable(const std::string& executablePath);

  // "<folder>/<name>.<type>" (just <name> when the type is empty) if that
  // file exists, else nullopt. Names that would leave the folder ("..",
  // absolute paths) find nothing.
  std::optional<std::string> pathForResourceOfType(std::string_view name,
                                                   std::string_view type) const;

 private:
  Bundle() = default;

  std::optional<std::string> resourcePath_;
};

}  // namespace platform
