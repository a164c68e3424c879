#pragma once
// File helpers. Every operation reports failure through its result and never
// throws. Writes are atomic: the bytes go to a temporary file in the same
// folder ("<target>.XXXXXX", six random letters or digits), are flushed to
// disk and then renamed over the target, so a reader (or a crash) sees
// either the old content or the new, never a half file. The writer holds a
// shared lock on its temporary file (flock) from its creation until it is
// renamed, so that TemporaryFileSweeper can tell a file that a process left
// behind when it was ended mid-write from one being written.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"

namespace platform {

class FileManager {
 public:
  static bool fileExistsAtPath(const std::string& path);
  static bool directoryExistsAtPath(const std::string& path);
  // Creates the folder and every missing parent; true if it exists after.
  static bool createDirectoryAtPath(const std::string& path);
  // Sub-second modification time, or nullopt when the item does not exist.
  static std::optional<Date> modificationDateOfItemAtPath(const std::string& path);
  static bool setModificationDateOfItemAtPath(const std::string& path, const Date& date);
  // The whole content of a regular file (bytes in a string), or nullopt.
  static std::optional<std::string> contentsAtPath(const std::string& path);
  // The same, but nullopt without reading further when the file holds more
  // than maximumLength bytes: callers with a bound never pay for a huge file.
  static std::optional<std::string> contentsAtPath(const std::string& path, std::size_t maximumLength);
  // Replaces the file's content atomically; the folder must exist. The new
  // file gets the usual permissions (0666 less the umask). Its modification
  // time is Date::now(): when a front end runs the app on a clock of its own
  // (headless), files are stamped on that clock, so ages measured against
  // it (cached images, the cached location) come out right.
  //
  // Durable writes are flushed to disk before and after the rename, so the
  // new content survives a power cut; caches that can fetch their content
  // again skip the flushes (a reader still never sees a half file).
  enum class Durability { Durable, Cache };
  static bool writeContentsAtomically(const std::string& path, std::string_view bytes,
                                      Durability durability = Durability::Durable);
  // Whether a file name has the shape of writeContentsAtomically's
  // temporary files: a name, a dot and six letters or digits.
  static bool isTemporaryFileName(std::string_view name);
  // Removes a file, or a folder with everything in it. Removing what is not
  // there fails.
  static bool removeItemAtPath(const std::string& path);
};

}  // namespace platform
