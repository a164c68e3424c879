#include "platform/foundation/AppIdentity.h"

#include <mutex>

#include "platform/foundation/ExecutablePath.h"

namespace platform {

namespace {

struct IdentityState {
  std::mutex mutex;
  AppIdentity identity = AppIdentity::fromExecutableName(ExecutablePath::fileName());
};

IdentityState& state() {
  static auto* identityState = new IdentityState();
  return *identityState;
}

}  // namespace

std::string AppIdentity::environmentVariable(std::string_view suffix) const {
  return environmentPrefix + std::string(suffix);
}

AppIdentity AppIdentity::current() {
  std::lock_guard lock(state().mutex);
  return state().identity;
}

void AppIdentity::setCurrent(AppIdentity identity) {
  std::lock_guard lock(state().mutex);
  state().identity = std::move(identity);
}

AppIdentity AppIdentity::fromExecutableName(std::string_view executableName) {
  const std::string fileName = executableName.empty() ? std::string("app") : std::string(executableName);
  std::string prefix;
  for (const char c : fileName) {
    const bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    prefix += alphanumeric ? static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) : '_';
  }
  return {fileName, fileName, prefix + "_", fileName + " device identifier v1\n"};
}

}  // namespace platform
