#pragma once
// The system log: free-text lines with no levels. Each line goes to stderr
// and, while a journal is current (EventJournal::setCurrent), into the
// journal as {"t": ..., "type": "log", "text": ...}.

#include <string_view>

namespace platform {

void log(std::string_view text);

}  // namespace platform
