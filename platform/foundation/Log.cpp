#include "platform/foundation/Log.h"

#include <cstdio>
#include <string>

#include "platform/foundation/EventJournal.h"

namespace platform {

namespace {

std::string withoutControlCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

void log(std::string_view text) {
  const std::string safe = withoutControlCharacters(text);
  // One fwrite per line keeps lines whole when other output interleaves.
  std::string line = safe + '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
  EventJournal::recordOrHold("log", JournalFields().set("text", safe));
}

}  // namespace platform
