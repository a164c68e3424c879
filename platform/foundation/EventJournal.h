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

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

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
  // Making a journal current first writes the events held for it (below).
  static void setCurrent(std::shared_ptr<EventJournal> journal);

  // A program that opens its journal only once it has started (after the
  // launch options have been applied and the preferences first read) calls
  // this first thing: from then until a journal is made current, events
  // recorded through recordOrHold are kept (at most kMostHeldEvents) and
  // written to that journal, so nothing logged at start-up is missing
  // from it.
  static void holdEventsUntilCurrent();
  static constexpr std::size_t kMostHeldEvents = 64;
  // Records into the current journal; without one, holds the event when
  // holding, else drops it.
  static void recordOrHold(const std::string& type, const JournalFields& fields);

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
