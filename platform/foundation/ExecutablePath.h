#pragma once
// Where the running program lies, and the data folders that come with it.
//
// An installed program lies in <prefix>/bin and finds its data in
// <prefix>/share/<name>. A program in the build tree lies a level or two
// deeper (build/Classes, build/tools/adserver), and the build lays its data
// out in build/share/<name> as the install will: `shareFolder` looks in the
// parent of the program's folder first and then further up, so one rule
// finds both, and nothing installed names the build or the source tree.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

class ExecutablePath {
 public:
  // How many folders above the program's own are searched for share/<name>.
  static constexpr int kShareSearchDepth = 3;

  // The running program's absolute path, or "" when the system cannot say.
  static std::string path();
  // Its last component ("my-app"), or "".
  static std::string fileName();

  // "<ancestor>/share/<name>" for the nearest of the folders above the
  // program's folder that has it as a folder; nullopt when none has.
  static std::optional<std::string> shareFolder(std::string_view name);
  // The same for a program at `executablePath`.
  static std::optional<std::string> shareFolderNear(const std::string& executablePath, std::string_view name);
};

}  // namespace platform
