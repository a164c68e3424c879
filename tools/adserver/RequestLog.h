#pragma once
// The request log: one JSON object per line and per request, written and
// flushed before the answer leaves the server, so a client that has its
// answer can already read the line. Thread-safe.
//
//   {"t": 0.125, "method": "GET", "path": "/ad_source.php",
//    "query": {"s": "pub", "k": ["a", "b"]}, "headers": {"USER-AGENT": "..."},
//    "status": 200, "fault": "status"}
//
// "t" is seconds since the server started. "query" holds the decoded
// parameters; a name given once maps to its string, a name given more than
// once to the array of its values in order. "headers" keeps the names as the
// client spelled them; a repeated header's values are joined with ", ".
// "status" is null when no answer was sent (a reset). "fault" is present only
// when a fault was injected and names its kind ("delay" for a delay alone).
// Calls to the control endpoint /__faults are not logged.

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/adserver/QueryString.h"

namespace pennant::adserver {

class RequestLog {
 public:
  struct Entry {
    double seconds = 0.0;
    std::string method;
    std::string path;
    std::vector<QueryString::Pair> query;
    std::vector<std::pair<std::string, std::string>> headers;
    std::optional<int> status;
    std::string fault;  // empty: none
  };

  // nullptr when the file cannot be opened for appending.
  static std::unique_ptr<RequestLog> openFile(const std::string& path, std::string* error);
  ~RequestLog();
  RequestLog(const RequestLog&) = delete;
  RequestLog& operator=(const RequestLog&) = delete;

  static std::string lineForEntry(const Entry& entry);
  void write(const Entry& entry);

 private:
  explicit RequestLog(std::FILE* file) : file_(file) {}

  std::mutex mutex_;
  std::FILE* file_;
};

}  // namespace pennant::adserver
