// pennant-inspect strings FILE
//
// Prints, as one canonical JSON line, the table the ad library's localizer
// would load from FILE (or standard input for "-"): its text entries, keys
// sorted, or {} wherever the localizer falls back to English for every key
// (a missing, empty or unreadable file, or one whose top level is not a
// dictionary).

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "ads/PennantLocalizer.h"
#include "json/CanonicalWriter.h"
#include "tools/inspect/CommandRegistry.h"

namespace pennant::inspect {
namespace {

std::optional<std::string> readAll(const std::string& path) {
  if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int runStrings(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) {
    std::cerr << "usage: pennant-inspect strings FILE   (FILE may be - for standard input)\n";
    return 2;
  }
  auto bytes = readAll(arguments[0]);
  if (!bytes) std::cerr << "pennant-inspect strings: cannot read " << arguments[0] << ": the table is empty\n";
  auto table = PennantLocalizer::stringsTableFromData(bytes.value_or(""));

  // std::map orders keys like memcmp, which is the UTF-8 byte order.
  std::string line = "{";
  for (const auto& [key, value] : table) {
    if (line.size() > 1) line += ',';
    json::CanonicalWriter::appendString(line, key);
    line += ':';
    json::CanonicalWriter::appendString(line, value);
  }
  line += '}';
  std::cout << line << '\n';
  return 0;
}

const CommandRegistration registration{"strings", "FILE", &runStrings};

}  // namespace
}  // namespace pennant::inspect
