// pennant-inspect: shows how the ad library reads things. The first argument
// names a command; each command is registered by its own source file.
#include <iostream>
#include <string>
#include <vector>

#include "tools/inspect/CommandRegistry.h"

int main(int argc, char** argv) {
  using pennant::inspect::CommandRegistry;
  const auto& registry = CommandRegistry::shared();
  if (argc < 2) {
    registry.printUsage(std::cerr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h") {
    registry.printUsage(std::cout);
    return 0;
  }
  const auto* command = registry.find(name);
  if (command == nullptr) {
    std::cerr << "pennant-inspect: unknown command '" << name << "'\n";
    registry.printUsage(std::cerr);
    return 2;
  }
  return command->run(std::vector<std::string>(argv + 2, argv + argc));
}
