#pragma once
// What this process has already read of each address-book folder, so that
// opening a book again costs a directory listing and a stat per entry
// rather than reading every file. A file's cached cards are used only while
// its identity (inode, size, modification and change times) is unchanged.
//
// Entries of this program's own files that carry a picture are cached as a
// summary (kind, organization, uid): the rest is read from the file when a
// record is asked for it, so the cache stays small.

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/addressbook/EntryContent.h"
#include "platform/addressbook/FileIdentity.h"

namespace platform::addressbook {

struct CachedCard {
  std::shared_ptr<const EntryContent> content;
  bool complete = true;  // false: a summary; read the file for the rest
};

struct CachedFile {
  FileIdentity identity;
  std::vector<CachedCard> cards;  // empty for a file that holds no card
  bool writtenByUs = false;
};

class EntryCache {
 public:
  // The files of one folder, sorted by name (the order the folder is
  // listed in, so that an open walks both lists side by side).
  using Folder = std::vector<std::pair<std::string, CachedFile>>;

  static EntryCache& shared();

  // Hands out what is cached for a folder and forgets it; the opener puts
  // back what it found with replaceFolder.
  Folder takeFolder(const std::string& path);
  void replaceFolder(const std::string& path, Folder files);
  void store(const std::string& path, const std::string& name, CachedFile file);
  void forget(const std::string& path, const std::string& name);
  void clear();

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, Folder> folders_;
};

}  // namespace platform::addressbook
