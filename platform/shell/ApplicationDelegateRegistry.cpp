#include "platform/shell/ApplicationDelegateRegistry.h"

#include <map>
#include <mutex>

namespace platform::shell {

namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, ApplicationDelegateRegistry::Factory> factories;
};

// Registrations run from static initializers in any order, so the table is
// made on first use and never destroyed.
Registry& registry() {
  static auto* table = new Registry();
  return *table;
}

}  // namespace

bool ApplicationDelegateRegistry::registerClass(const std::string& name, Factory factory) {
  auto& r = registry();
  std::lock_guard lock(r.mutex);
  r.factories[name] = std::move(factory);
  return true;
}

std::shared_ptr<ApplicationDelegate> ApplicationDelegateRegistry::create(const std::string& name) {
  Factory factory;
  {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto found = r.factories.find(name);
    if (found == r.factories.end() || !found->second) return nullptr;
    factory = found->second;
  }
  return factory();
}

}  // namespace platform::shell
