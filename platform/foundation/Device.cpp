#include "platform/foundation/Device.h"

#include <sys/utsname.h>

#include <fstream>
#include <sstream>

#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/Sha256.h"

namespace platform {

namespace {

std::string trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

utsname systemNames() {
  utsname names{};
  if (uname(&names) != 0) {
    names = utsname{};
  }
  return names;
}

}  // namespace

Device& Device::currentDevice() {
  static Device* device = new Device();
  return *device;
}

Device::Device() : machineIdPaths_{"/etc/machine-id", "/var/lib/dbus/machine-id"} {}

std::string Device::model() const { return "Linux PC"; }

std::string Device::systemName() const { return systemNames().sysname; }

std::string Device::systemVersion() const { return leadingVersionNumbers(systemNames().release); }

std::string Device::machine() const { return systemNames().machine; }

std::optional<std::string> Device::uniqueIdentifier() const {
  std::lock_guard lock(mutex_);
  if (overridden_) {
    return override_;
  }
  // Every download sends the identifier: derive it once, not per request.
  if (derived_) {
    return *derived_;
  }
  derived_.emplace();
  for (const auto& path : machineIdPaths_) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      continue;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    if (auto identifier = identifierFromMachineId(contents.str())) {
      *derived_ = identifier;
      break;
    }
  }
  return *derived_;
}

void Device::setUniqueIdentifier(std::optional<std::string> identifier) {
  std::lock_guard lock(mutex_);
  overridden_ = true;
  override_ = std::move(identifier);
}

void Device::resetUniqueIdentifier() {
  std::lock_guard lock(mutex_);
  overridden_ = false;
  override_.reset();
}

void Device::setMachineIdPaths(std::vector<std::string> paths) {
  std::lock_guard lock(mutex_);
  machineIdPaths_ = std::move(paths);
  derived_.reset();
}

std::optional<std::string> Device::identifierFromMachineId(std::string_view machineId) {
  const std::string id = trim(machineId);
  // systemd writes "uninitialized" while the first boot has not finished.
  if (id.empty() || id == "uninitialized") {
    return std::nullopt;
  }
  std::string salted = AppIdentity::current().deviceIdentifierSalt;
  salted += id;
  return Sha256::hexDigest(salted).substr(0, 40);
}

std::string Device::leadingVersionNumbers(std::string_view release) {
  std::size_t end = 0;
  while (end < release.size() && ((release[end] >= '0' && release[end] <= '9') || release[end] == '.')) {
    ++end;
  }
  std::string version(release.substr(0, end));
  while (!version.empty() && version.back() == '.') {
    version.pop_back();
  }
  return version;
}

}  // namespace platform
