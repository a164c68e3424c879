#pragma once
// Reads one ".vcf" file of the folder into cached cards.
//
// A file of this program that is larger than kHeadBytes (it carries a
// picture) is read only as far as its head, which holds everything the
// book needs to list it (kind, organization, uid): the writer puts those
// first. Any other file is read and parsed whole: it is small, or it is
// another program's, whose order of properties is not known.

#include <optional>
#include <string>

#include "platform/addressbook/EntryCache.h"
#include "platform/addressbook/VdirFolder.h"

namespace platform::addressbook {

class EntryFileReader {
 public:
  static constexpr std::size_t kHeadBytes = 4096;

  // nullopt when the file cannot be read at all (gone, unreadable, too big);
  // a file without a card gives a CachedFile without cards.
  static std::optional<CachedFile> load(const VdirFolder& folder, const std::string& name);

  // The whole card at `cardIndex` of a file, provided the file is still the
  // version with that identity.
  static std::optional<EntryContent> loadComplete(const VdirFolder& folder, const std::string& name,
                                                  const FileIdentity& expected, std::size_t cardIndex = 0);
  // The listing form of a card: kind, organization and uid.
  static std::shared_ptr<const EntryContent> summaryOf(const EntryContent& content);

  // The cached form of an entry this program has just written.
  static CachedFile cacheWritten(const EntryContent& content, std::size_t writtenBytes, const FileIdentity& identity);
};

}  // namespace platform::addressbook
