#include "tools/adserver/RequestLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "json/CanonicalWriter.h"

namespace pennant::adserver {

std::unique_ptr<RequestLog> RequestLog::openFile(const std::string& path, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (!file) {
    if (error) *error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<RequestLog>(new RequestLog(file));
}

RequestLog::~RequestLog() { std::fclose(file_); }

std::string RequestLog::lineForEntry(const Entry& entry) {
  using json::CanonicalWriter;
  std::string line = "{\"t\":";
  CanonicalWriter::appendNumber(line, static_cast<double>(static_cast<long long>(entry.seconds * 1000.0)) / 1000.0);
  line += ",\"method\":";
  CanonicalWriter::appendString(line, entry.method);
  line += ",\"path\":";
  CanonicalWriter::appendString(line, entry.path);

  // Group repeated names while keeping the order of first appearance.
  std::vector<std::pair<std::string, std::vector<std::string>>> grouped;
  std::map<std::string, std::size_t> position;
  for (const auto& [name, value] : entry.query) {
    auto [it, inserted] = position.emplace(name, grouped.size());
    if (inserted) grouped.push_back({name, {}});
    grouped[it->second].second.push_back(value);
  }
  line += ",\"query\":{";
  bool first = true;
  for (const auto& [name, values] : grouped) {
    if (!first) line += ",";
    first = false;
    CanonicalWriter::appendString(line, name);
    line += ":";
    if (values.size() == 1) {
      CanonicalWriter::appendString(line, values.front());
      continue;
    }
    line += "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i) line += ",";
      CanonicalWriter::appendString(line, values[i]);
    }
    line += "]";
  }

  std::vector<std::pair<std::string, std::string>> headers;
  for (const auto& [name, value] : entry.headers) {
    auto it = std::find_if(headers.begin(), headers.end(), [&](const auto& h) { return h.first == name; });
    if (it == headers.end()) {
      headers.emplace_back(name, value);
    } else {
      it->second += ", " + value;
    }
  }
  line += "},\"headers\":{";
  first = true;
  for (const auto& [name, value] : headers) {
    if (!first) line += ",";
    first = false;
    CanonicalWriter::appendString(line, name);
    line += ":";
    CanonicalWriter::appendString(line, value);
  }
  line += "},\"status\":";
  line += entry.status ? std::to_string(*entry.status) : "null";
  if (!entry.fault.empty()) {
    line += ",\"fault\":";
    CanonicalWriter::appendString(line, entry.fault);
  }
  return line + "}";
}

void RequestLog::write(const Entry& entry) {
  const std::string line = lineForEntry(entry) + "\n";
  std::lock_guard lock(mutex_);
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

}  // namespace pennant::adserver
