#pragma once
// The image cache's folder as the cache last saw it: each file's size and
// modification time and their total, so that the folder's bound is kept
// without listing the folder at every store.
//
//   folder.prepareToWrite();
//   // ... write <path>/<name> ...
//   std::optional<PennantImageCacheFolder::Stamp> written;
//   for (const auto& gone : folder.didWriteKeepingWithinBound(name, written)) forget(gone);
//
// The folder's own identity and times are noted after each change made
// through this object. When they have moved by the next write (another
// program or another instance added or removed files, the folder was
// replaced), the folder is listed again before the bound is checked. It is
// also listed again after every kWritesBetweenListings writes, so a change
// its times did not show (two changes within one tick of the file system's
// clock) is noticed soon all the same.
//
// Owned by PennantImageCache; main thread only.

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pennant {

class PennantImageCacheFolder {
 public:
  static constexpr int kWritesBetweenListings = 64;

  // What the cache needs to know of one stored file.
  struct Stamp {
    timespec modified{};
    std::uintmax_t size = 0;
    bool operator==(const Stamp& other) const;
  };

  PennantImageCacheFolder(std::string path, std::uintmax_t maximumBytes)
      : path_(std::move(path)), maximumBytes_(maximumBytes) {}

  // The stamp of <folder>/<name>, or nullopt when it is not a regular file.
  std::optional<Stamp> stampOf(const std::string& name) const;

  // Brings what is known of the folder up to date before a file is written.
  void prepareToWrite();
  // Takes note of <folder>/<name>, just written (its stamp goes to
  // `written`, nullopt when it is gone already), then removes the oldest
  // other files, by modification time, while the folder is over its bound.
  // Returns the names removed.
  std::vector<std::string> didWriteKeepingWithinBound(const std::string& name, std::optional<Stamp>& written);

 private:
  struct FolderState {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const FolderState& other) const;
  };

  std::optional<FolderState> folderState() const;
  void list();
  void removeOldestKeeping(const std::string& name, std::vector<std::string>& removed);

  std::string path_;
  std::uintmax_t maximumBytes_;
  // True to the folder while folderState_ matches it.
  std::map<std::string, Stamp> files_;
  std::uintmax_t totalBytes_ = 0;
  std::optional<FolderState> folderState_;
  int writesSinceListing_ = 0;
};

}  // namespace pennant
