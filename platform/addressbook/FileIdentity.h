#pragma once
// Which version of a file was read: device, inode, size and the
// modification and change times to the nanosecond. Two stats of one file
// that nobody touched in between compare equal; any rewrite, rename over it
// or change in place makes them differ.

#include <sys/stat.h>

#include <cstdint>

namespace platform::addressbook {

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t changedSeconds = 0;
  std::int64_t changedNanoseconds = 0;

  static FileIdentity of(const struct stat& info) {
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                        static_cast<std::int64_t>(info.st_size),  info.st_mtim.tv_sec,
                        info.st_mtim.tv_nsec,                     info.st_ctim.tv_sec,
                        info.st_ctim.tv_nsec};
  }

  bool operator==(const FileIdentity&) const = default;
};

}  // namespace platform::addressbook
