#pragma once
// pennant-inspect json [--any] [--repeat N] FILE
//
// Reads FILE (or standard input for "-") the way the ad library reads an
// answer, as a dictionary at the first byte, or as any value with --any, and
// prints the result in canonical form on one line (exit 0), or
// "error DOMAIN CODE DESCRIPTION" (exit 1). --repeat N parses N times and
// prints the median parses per second and MB/s on standard error.

#include <string>
#include <vector>

namespace pennant::inspect {

class JsonCommand {
 public:
  static int run(const std::vector<std::string>& arguments);
};

}  // namespace pennant::inspect
