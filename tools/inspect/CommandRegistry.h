#pragma once
// The commands of pennant-inspect. Each command lives in its own source file
// and registers itself with a file-level CommandRegistration object, so that
// adding a command means adding one .cpp file to this folder:
//
//   static const CommandRegistration registration{"strings", "[--flag] FILE", &runStrings};
//
// A command gets its arguments after the command name and returns the exit
// status: 0 success, 1 the input was read and rejected, 2 a usage error.

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace pennant::inspect {

using CommandFunction = std::function<int(const std::vector<std::string>& arguments)>;

struct Command {
  std::string name;
  std::string usage;
  CommandFunction run;
};

class CommandRegistry {
 public:
  static CommandRegistry& shared();

  void add(Command command);
  const Command* find(const std::string& name) const;
  // One "pennant-inspect NAME USAGE" line per command, in name order.
  void printUsage(std::ostream& out) const;

 private:
  std::map<std::string, Command> commands_;
};

struct CommandRegistration {
  CommandRegistration(std::string name, std::string usage, CommandFunction run);
};

}  // namespace pennant::inspect
