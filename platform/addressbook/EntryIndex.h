#pragma once
// What was read of an address-book folder, kept on disk from one run of the
// program to the next, so that the first open in a process costs a listing
// and a stat per file instead of reading and parsing every file.
//
// One index file per folder, in the app's caches (never in the book's own
// folder, which other programs read and sync): a text file holding, per
// entry file, its identity (device, inode, size, modification and change
// times), whether this program wrote it, and for each of its cards the
// listing summary (record type, kind, organization, uid). The rest of a
// card is read from its file when a record is asked for it, as for a
// summary held in memory.
//
// The index is only a hint: an entry is used only when the file listed now
// has exactly the identity it notes, and an index that names another
// folder, is cut short, fails its checksum or does not parse is ignored as
// a whole. It is written atomically; losing it costs one slow open.

#include <string>

#include "platform/addressbook/EntryCache.h"

namespace platform::addressbook {

class EntryIndex {
 public:
  // The index of `folder` in `indexDirectory`.
  EntryIndex(std::string indexDirectory, std::string folder);

  // The index of `folder` in the app's caches.
  static EntryIndex forFolder(const std::string& folder);

  const std::string& path() const { return path_; }

  // The files noted for the folder, sorted by name; empty when there is no
  // usable index.
  EntryCache::Folder load() const;
  // Replaces the index with `files` (sorted by name). False when it could
  // not be written; the book works on without it.
  bool save(const EntryCache::Folder& files) const;

 private:
  std::string directory_;
  std::string folder_;
  std::string path_;
};

}  // namespace platform::addressbook
