#pragma once
// The system log: free-text lines with no levels. Each line goes to stderr
// and, while a journal is current (EventJournal::setCurrent), into the
// journal as {"t": ..., "type": "log", "text": ...}. A call is always one
// line: control characters in the text (line breaks among them) are written
// as \xHH, so a value from outside quoted in a line cannot forge others.

#include <string_view>

namespace platform {

void log(std::string_view text);

}  // namespace platform
