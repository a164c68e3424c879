#include "platform/addressbook/AddressBook.h"

#include <algorithm>
#include <mutex>

#include "platform/addressbook/EntryCache.h"
#include "platform/addressbook/EntryFileReader.h"
#include "platform/addressbook/EntryIndex.h"
#include "platform/addressbook/VCardWriter.h"
#include "platform/foundation/AppPaths.h"

namespace platform::addressbook {

namespace {

constexpr std::string_view kDefaultFolderBelowHome = "/Library/AddressBook";
constexpr std::string_view kUidScheme = "urn:uuid:";
constexpr std::string_view kEntryExtension = ".vcf";

struct DefaultDirectory {
  std::mutex mutex;
  std::optional<std::string> folder;
};

DefaultDirectory& defaultDirectoryState() {
  static auto* state = new DefaultDirectory();
  return *state;
}

// Our entries are named after their uid, which this program made.
std::string fileNameFor(const EntryContent& content) {
  std::string_view uid = content.uid;
  if (uid.substr(0, kUidScheme.size()) == kUidScheme) uid.remove_prefix(kUidScheme.size());
  return std::string(uid) + std::string(kEntryExtension);
}

}  // namespace

void AddressBook::setDefaultDirectory(std::optional<std::string> folder) {
  std::lock_guard lock(defaultDirectoryState().mutex);
  defaultDirectoryState().folder = std::move(folder);
}

std::string AddressBook::defaultDirectory() {
  {
    std::lock_guard lock(defaultDirectoryState().mutex);
    if (defaultDirectoryState().folder) return *defaultDirectoryState().folder;
  }
  return AppPaths::home() + std::string(kDefaultFolderBelowHome);
}

void AddressBook::discardCachedEntries() { EntryCache::shared().clear(); }

std::shared_ptr<AddressBook> AddressBook::create() { return createAtPath(defaultDirectory()); }

std::shared_ptr<AddressBook> AddressBook::createAtPath(const std::string& folder) {
  auto book = std::make_shared<AddressBook>(Passkey{}, folder);
  book->open();
  return book;
}

AddressBook::AddressBook(Passkey, const std::string& folder) : folder_(std::make_shared<const VdirFolder>(folder)) {}

void AddressBook::open() {
  // What this process read before, else what an earlier run noted on disk.
  EntryCache::Folder known = EntryCache::shared().takeFolder(path());
  const EntryIndex index = EntryIndex::forFolder(path());
  if (known.empty()) known = index.load();
  // Both lists are sorted by name: walk them side by side.
  auto cached = known.begin();
  auto listings = folder_->listEntries();
  EntryCache::Folder seen;
  seen.reserve(listings.size());
  records_.reserve(listings.size());
  std::size_t reused = 0;
  bool readAny = false;
  for (auto& listing : listings) {
    while (cached != known.end() && cached->first < listing.name) ++cached;
    std::optional<CachedFile> file;
    if (cached != known.end() && cached->first == listing.name && cached->second.identity == listing.identity) {
      file = std::move(cached->second);
      ++reused;
    } else {
      file = EntryFileReader::load(*folder_, listing.name);
      readAny = true;
    }
    if (!file) continue;
    for (std::size_t card = 0; card < file->cards.size(); ++card) {
      const auto& content = file->cards[card].content;
      if (content->recordType != RecordType::Person) continue;
      auto record = std::make_shared<Record>(Record::Passkey{}, content, file->cards[card].complete);
      record->stored_ = Record::StoredEntry{folder_,           listing.name,           file->identity,
                                            file->writtenByUs, file->cards.size() > 1, card};
      record->book_ = this;
      records_.push_back(std::move(record));
    }
    seen.emplace_back(std::move(listing.name), std::move(*file));
  }
  // The index follows the folder whenever this open found it changed: a
  // file read, or a noted one gone. An open that matched everything it
  // knew leaves the index alone.
  if (readAny || reused != known.size()) (void)index.save(seen);
  EntryCache::shared().replaceFolder(path(), std::move(seen));
}

std::vector<std::shared_ptr<Record>> AddressBook::copyArrayOfAllPeople() const {
  std::vector<std::shared_ptr<Record>> people;
  people.reserve(records_.size());
  for (const auto& record : records_) {
    if (record->recordType() == RecordType::Person) people.push_back(record);
  }
  return people;
}

bool AddressBook::addRecord(const std::shared_ptr<Record>& record) {
  if (!record || record->book_ || record->stored_) return false;
  record->book_ = this;
  records_.push_back(record);
  return true;
}

bool AddressBook::removeRecord(const std::shared_ptr<Record>& record) {
  if (!record || record->book_ != this || (record->stored_ && record->stored_->sharedFile)) return false;
  records_.erase(std::remove(records_.begin(), records_.end(), record), records_.end());
  record->book_ = nullptr;
  if (record->stored_) removed_.push_back(record);
  return true;
}

bool AddressBook::hasUnsavedChanges() const {
  return !removed_.empty() || std::any_of(records_.begin(), records_.end(), [](const auto& record) {
           return !record->stored_ || record->changed_;
         });
}

bool AddressBook::writeRecord(Record& record, std::string& failure) {
  const std::string name = record.stored_ ? record.stored_->name : fileNameFor(*record.content_);
  if (record.stored_) {
    // Never write over a version of the file this book has not seen.
    if (const auto current = folder_->identityOf(name); current && !(*current == record.stored_->identity)) {
      failure = "another program changed " + folder_->pathOf(name) + " since it was read; it was left in place";
      return false;
    }
  }
  const EntryContent& content = record.content();
  const std::string bytes = VCardWriter::write(content);
  const auto identity = folder_->writeEntry(name, bytes, failure);
  if (!identity) return false;
  record.stored_ = Record::StoredEntry{folder_, name, *identity, true, false};
  record.changed_ = false;
  EntryCache::shared().store(path(), name, EntryFileReader::cacheWritten(content, bytes.size(), *identity));
  return true;
}

bool AddressBook::save(Error* error) {
  std::optional<Error> first;
  const auto fail = [&](ErrorCode code, const std::string& description) {
    if (!first) first = Error{std::string(kErrorDomain), code, description};
  };
  bool touchedFolder = false;

  // New entries first, made durable before anything is removed: a save cut
  // short (or a power cut) between the two steps leaves an entry twice
  // rather than not at all.
  for (const auto& record : records_) {
    if ((record->stored_ && !record->changed_) || record->isReadOnly()) continue;
    std::string failure;
    if (writeRecord(*record, failure)) {
      touchedFolder = true;
    } else {
      fail(kErrorWriteFailed, failure);
    }
  }
  if (touchedFolder && !removed_.empty()) folder_->syncFolder();

  std::vector<std::shared_ptr<Record>> stillRemoved;
  for (const auto& record : removed_) {
    std::string failure;
    if (folder_->removeEntry(record->stored_->name, record->stored_->identity, failure)) {
      EntryCache::shared().forget(path(), record->stored_->name);
      touchedFolder = true;
    } else {
      fail(kErrorRemoveFailed, failure);
      // A file that changed since it was read is not ours to remove later
      // either; one that could not be removed is tried again.
      if (folder_->identityOf(record->stored_->name) == record->stored_->identity) stillRemoved.push_back(record);
    }
  }
  removed_ = std::move(stillRemoved);

  if (touchedFolder) folder_->syncFolder();
  if (first && error) *error = *first;
  return !first;
}

}  // namespace platform::addressbook
