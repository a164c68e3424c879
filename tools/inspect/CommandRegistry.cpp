#include "tools/inspect/CommandRegistry.h"

#include <ostream>

namespace pennant::inspect {

CommandRegistry& CommandRegistry::shared() {
  // Never destroyed, and built on first use so that registrations from other
  // files' static initializers find it whatever their order.
  static auto* registry = new CommandRegistry();
  return *registry;
}

void CommandRegistry::add(Command command) {
  std::string name = command.name;
  commands_[name] = std::move(command);
}

const Command* CommandRegistry::find(const std::string& name) const {
  auto found = commands_.find(name);
  return found == commands_.end() ? nullptr : &found->second;
}

void CommandRegistry::printUsage(std::ostream& out) const {
  // Laid out as help2man reads it, which makes the manual page from it.
  out << "Usage: pennant-inspect COMMAND [ARGUMENTS]\n\n"
         "Shows how the Pennant ad library reads what an ad server sends.\n\n"
         "Commands:\n";
  for (const auto& [name, command] : commands_) out << "  " << name << ' ' << command.usage << '\n';
}

CommandRegistration::CommandRegistration(std::string name, std::string usage, CommandFunction run) {
  CommandRegistry::shared().add(Command{std::move(name), std::move(usage), std::move(run)});
}

}  // namespace pennant::inspect
