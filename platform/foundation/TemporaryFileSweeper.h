#pragma once
// Removes what FileManager's atomic writes leave behind when the process is
// ended in the middle of one: a "<target>.XXXXXX" temporary file that never
// became the target. The app has no orderly stop, so it sweeps its home at
// start-up (AppLauncher).
//
// Only files of that shape are touched, and only stale ones: regular files
// (never links or folders) that no writer holds (FileManager locks its
// temporary file until it is renamed) and whose change time, on the
// machine's clock, is kStaleAfterSeconds old (which covers the instant
// between creating the file and locking it). Another instance of the app
// writing in the same home at the same moment keeps its files.

#include <cstddef>
#include <string>

namespace platform {

class TemporaryFileSweeper {
 public:
  static constexpr double kStaleAfterSeconds = 1.0;

  // Sweeps the folder and every folder below it (links are not followed).
  // Returns how many files were removed.
  static std::size_t removeStaleTemporaryFilesUnder(const std::string& folder);
};

}  // namespace platform
