#pragma once
// One fault to inject: which requests it hits, what it does to their answer
// and how many more times it applies.

#include <optional>
#include <string>

namespace pennant::adserver {

struct FaultRule {
  enum class Kind {
    None,      // only the delay
    Status,    // answer `status` with `body` instead of the normal answer
    Reset,     // close the connection without any answer
    Truncate,  // announce the full Content-Length, send half the body, close
    Garbage,   // the normal status and headers with a body of random bytes
    Redirect,  // 302 to `location` ("{{base}}" in it becomes the server's base URL)
    Flood,     // the normal status with `floodBytes` of filler, streamed
    Cut,       // the normal status with the first half of the body, complete as far as HTTP goes
  };

  // Empty: every path except the control endpoint. Ending in "*": every
  // path starting with what comes before it. Otherwise the exact path.
  std::string path;
  Kind kind = Kind::None;
  int status = 0;
  std::string body = "{}";
  double delaySeconds = 0.0;
  std::string location;
  long long floodBytes = 0;
  // How many matching requests still pass untouched before it applies, so a
  // fault can hit a later ad's download and spare the first.
  long skip = 0;
  // How many more requests it applies to; nullopt until cleared.
  std::optional<long> remaining;

  bool matches(std::string_view requestPath) const {
    if (path.empty()) return true;
    if (path.back() == '*') return requestPath.substr(0, path.size() - 1) == std::string_view(path).substr(0, path.size() - 1);
    return requestPath == path;
  }
};

}  // namespace pennant::adserver
