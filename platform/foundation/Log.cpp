#include "platform/foundation/Log.h"

#include <cstdio>
#include <string>

#include "platform/foundation/EventJournal.h"

namespace platform {

void log(std::string_view text) {
  // One fwrite per line keeps lines whole when other output interleaves.
  std::string line(text);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  if (auto journal = EventJournal::current()) {
    journal->record("log", JournalFields().set("text", text));
  }
}

}  // namespace platform
