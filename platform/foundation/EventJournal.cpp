#include "platform/foundation/EventJournal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>

#include "platform/foundation/RunLoop.h"

namespace platform {

namespace {

std::shared_ptr<EventJournal>& currentJournal() {
  static auto* journal = new std::shared_ptr<EventJournal>();
  return *journal;
}

struct HeldEvents {
  bool holding = false;
  std::vector<std::pair<std::string, JournalFields>> events;
};

HeldEvents& heldEvents() {
  static auto* held = new HeldEvents();
  return *held;
}

// Times are kept to the microsecond: a simulated clock that added 0.1 three
// times reads 0.30000000000000004, which would make journals hard to compare.
double roundedTime(double seconds) { return std::round(seconds * 1e6) / 1e6; }

}  // namespace

std::shared_ptr<EventJournal> EventJournal::openAtPath(const std::string& path,
                                                       std::shared_ptr<Clock> clock) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  if (!clock) clock = RunLoop::main().clock();
  return std::shared_ptr<EventJournal>(new EventJournal(fd, path, std::move(clock)));
}

EventJournal::EventJournal(int fd, std::string path, std::shared_ptr<Clock> clock)
    : fd_(fd), path_(std::move(path)), clock_(std::move(clock)) {}

EventJournal::~EventJournal() { ::close(fd_); }

std::shared_ptr<EventJournal> EventJournal::current() { return currentJournal(); }

void EventJournal::setCurrent(std::shared_ptr<EventJournal> journal) {
  currentJournal() = std::move(journal);
  HeldEvents& held = heldEvents();
  if (!currentJournal() || !held.holding) return;
  held.holding = false;
  for (const auto& [type, fields] : held.events) currentJournal()->record(type, fields);
  held.events.clear();
}

void EventJournal::holdEventsUntilCurrent() {
  if (!currentJournal()) heldEvents().holding = true;
}

void EventJournal::recordOrHold(const std::string& type, const JournalFields& fields) {
  if (auto journal = currentJournal()) {
    journal->record(type, fields);
    return;
  }
  HeldEvents& held = heldEvents();
  if (held.holding && held.events.size() < kMostHeldEvents) held.events.emplace_back(type, fields);
}

bool EventJournal::record(const std::string& type, const JournalFields& fields) {
  std::string line = "{\"t\":";
  JournalFields::appendNumber(line, roundedTime(clock_->now()));
  line.append(",\"type\":");
  JournalFields::appendString(line, type);
  std::string members;
  fields.appendMembers(members, {"t", "type"});
  if (!members.empty()) {
    line.push_back(',');
    line.append(members);
  }
  line.append("}\n");
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = ::write(fd_, line.data() + written, line.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace platform
