#pragma once
// The folder of an address book: one entry per ".vcf" file, the layout other
// address-book programs read and sync. This class only moves bytes; what
// they mean is the reader's and the writer's business.
//
// Writes are atomic and durable: the bytes go to a temporary file in the
// same folder, named so that no vCard reader takes it for an entry
// (".<app file name>-ab-<pid>-<random>.tmp"), are flushed to disk, and the file is
// renamed over the entry. A kill at any moment leaves the old file or the
// new one; a temporary file it leaves behind is recognised by its name and
// by its process being gone, and removed the next time the folder is
// opened. syncFolder() makes the renames and removals themselves durable.

#include <optional>
#include <string>
#include <vector>

#include "platform/addressbook/FileIdentity.h"

namespace platform::addressbook {

class VdirFolder {
 public:
  // The biggest entry that is read at all; a larger ".vcf" is left alone.
  static constexpr std::size_t kMaxEntryBytes = 16 * 1024 * 1024;

  explicit VdirFolder(std::string path) : path_(std::move(path)) {}

  const std::string& path() const { return path_; }
  std::string pathOf(const std::string& name) const { return path_ + "/" + name; }

  struct Listing {
    std::string name;
    FileIdentity identity;
  };
  // The regular ".vcf" files (any case of the extension), sorted by name.
  // Empty when the folder does not exist or cannot be read. Listing also
  // removes the temporary files of saves that were cut short.
  std::vector<Listing> listEntries() const;

  struct Contents {
    std::string bytes;
    FileIdentity identity;  // of the file that was read
    bool complete = false;  // false when only the first `limit` bytes were read
  };
  // Reads at most `limit` bytes of an entry; nullopt when it cannot be
  // opened or is larger than kMaxEntryBytes.
  std::optional<Contents> readEntry(const std::string& name, std::size_t limit) const;

  std::optional<FileIdentity> identityOf(const std::string& name) const;

  // Creates the folder if needed and replaces (or creates) the entry
  // atomically. The new file's identity, or nullopt with `error` set.
  std::optional<FileIdentity> writeEntry(const std::string& name, const std::string& bytes, std::string& error) const;

  // Removes an entry only if it is still the version that was read; a file
  // that is already gone counts as removed. False with `error` set when the
  // file changed since or cannot be removed.
  bool removeEntry(const std::string& name, const FileIdentity& expected, std::string& error) const;

  // Flushes the folder itself, so that renames and removals survive a crash.
  bool syncFolder() const;

  // True for the names this class gives its temporary files.
  static bool isTemporaryName(const std::string& name);

 private:
  std::string temporaryName() const;

  std::string path_;
};

}  // namespace platform::addressbook
