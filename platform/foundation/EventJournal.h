#pragma once
// The event journal: a file of JSON lines, one event per line, that the
// headless front end writes and tests and automation read back.
//
//   auto journal = EventJournal::openAtPath(dir + "/events.jsonl");
//   EventJournal::setCurrent(journal);          // platform::log() writes here too
//   journal->record("sound", JournalFields().set("name", "Phrase"));
//
// Each line is {"t": seconds on the clock, "type": ..., fields...}: "t" and
// "type" always come first, the fields follow in the order they were set
// (fields named "t" or "type" are left out, so no line carries a key twice).
// Every line goes to the file in one write() as soon as it is recorded, so a
// crash loses nothing that was recorded before it.
//
// Ownership: whoever opens a journal owns it; setCurrent() shares it with
// platform::log() until it is replaced or cleared. The clock is shared.

#include <memory>
#include <string>

#include "platform/foundation/Clock.h"
#include "platform/foundation/JournalFields.h"

namespace platform {

class EventJournal {
 public:
  // Opens (creating or truncating) the file. The clock defaults to the main
  // run loop's. Returns nullptr when the file cannot be opened.
  static std::shared_ptr<EventJournal> openAtPath(const std::string& path,
                                                  std::shared_ptr<Clock> clock = nullptr);

  // The journal platform::log() writes to, or nullptr.
  static std::shared_ptr<EventJournal> current();
  static void setCurrent(std::shared_ptr<EventJournal> journal);

  ~EventJournal();
  EventJournal(const EventJournal&) = delete;
  EventJournal& operator=(const EventJournal&) = delete;

  // Returns false when the line could not be written completely (disk full,
  // file gone); later records still try.
  bool record(const std::string& type, const JournalFields& fields = {});

  const std::string& path() const { return path_; }

 private:
  EventJournal(int fd, std::string path, std::shared_ptr<Clock> clock);

  int fd_;
  std::string path_;
  std::shared_ptr<Clock> clock_;
};

}  // namespace platform
