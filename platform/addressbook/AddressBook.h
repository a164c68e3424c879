#pragma once
// The user's address book: a folder of vCard 4.0 files, one entry per file,
// which other address-book programs on the machine read and sync too.
//
//   auto book = AddressBook::create();                 // opens the user's book
//   for (const auto& person : book->copyArrayOfAllPeople()) { ... }
//   book->removeRecord(old);
//   book->addRecord(Record::personCreate() ...);
//   platform::Error error;
//   if (!book->save(&error)) log(error.description);
//
// Opening never fails: a missing folder is an empty book (it is created by
// the first save that writes), and files that cannot be read or hold no
// card are skipped. Changes stay in the book object until save(), which
// writes each new or changed entry atomically (see VdirFolder), removes the
// files of removed records, and flushes the folder once.
//
// What the book never touches: files another program wrote are read-only
// records (their content is never rewritten), files it cannot read and
// anything that is not a ".vcf" file. The one exception is asked for
// explicitly: removing a record read from another program's file deletes
// that file on save, unless it changed since it was read or it holds other
// entries too.
//
// Ownership: the caller owns the book; the book shares its records with
// whoever copies them out. A book is meant for one thread at a time; books
// are cheap to open again, because each process remembers what it already
// read of a folder (EntryCache), and the first open of a process finds what
// an earlier run read in the app's caches (EntryIndex).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/addressbook/Record.h"
#include "platform/addressbook/VdirFolder.h"
#include "platform/foundation/Error.h"

namespace platform::addressbook {

class AddressBook {
  struct Passkey {};

 public:
  static constexpr std::string_view kErrorDomain = "AddressBookErrorDomain";
  enum ErrorCode : int {
    kErrorWriteFailed = -1,
    kErrorRemoveFailed = -2,
  };

  // ABAddressBookCreate: the user's book, in defaultDirectory().
  static std::shared_ptr<AddressBook> create();
  static std::shared_ptr<AddressBook> createAtPath(const std::string& folder);

  // The folder set by the front end (--address-book), else
  // <home>/Library/AddressBook. nullopt goes back to the default.
  static void setDefaultDirectory(std::optional<std::string> folder);
  static std::string defaultDirectory();

  // Forgets what this process has read of every folder; the next open
  // starts as the first one of a process does, from the index an earlier
  // open left in the app's caches (EntryIndex), reading every file whose
  // identity it does not match.
  static void discardCachedEntries();

  AddressBook(Passkey, const std::string& folder);

  const std::string& path() const { return folder_->path(); }

  // Every person record (individuals and organizations), in file-name order
  // for entries read from the folder, then those added since.
  std::vector<std::shared_ptr<Record>> copyArrayOfAllPeople() const;

  // False when the record is already in a book.
  bool addRecord(const std::shared_ptr<Record>& record);
  // False when the record is not in this book, or shares its file with
  // other entries (removing it would remove them).
  bool removeRecord(const std::shared_ptr<Record>& record);

  bool hasUnsavedChanges() const;

  // ABAddressBookSave. Writes what changed; true when everything was
  // written. Otherwise `error` (when given) says what failed first; what
  // could be written was written, and what failed stays pending for the
  // next save.
  [[nodiscard]] bool save(Error* error = nullptr);

 private:
  void open();
  bool writeRecord(Record& record, std::string& failure);

  std::shared_ptr<const VdirFolder> folder_;
  std::vector<std::shared_ptr<Record>> records_;
  std::vector<std::shared_ptr<Record>> removed_;
};

}  // namespace platform::addressbook
