#pragma once
// The device's identity as the ad library and its user agent see it: a
// model name, the operating system's name and version, the hardware name
// and an identifier for this installation.
//
// The identifier is never the raw machine id: it is derived from
// /etc/machine-id (or /var/lib/dbus/machine-id) with the salt of the app's
// identity (AppIdentity), so it is stable for one machine but cannot be
// linked to other programs' uses of the machine id. The front end may replace it (--device-id) or
// remove it (--no-device-id).

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Device {
 public:
  static Device& currentDevice();

  // "Linux PC".
  std::string model() const;
  // uname's system name, e.g. "Linux".
  std::string systemName() const;
  // uname's release cut to its leading dotted numbers: "6.1.0-18-amd64"
  // gives "6.1.0".
  std::string systemVersion() const;
  // uname's machine, e.g. "x86_64".
  std::string machine() const;

  // The override if one was set, else the identifier derived from the first
  // readable machine-id file; nullopt when there is none (or the override
  // says so).
  std::optional<std::string> uniqueIdentifier() const;
  // Fixes the identifier: a value, or nullopt for "no identifier".
  void setUniqueIdentifier(std::optional<std::string> identifier);
  // Goes back to the machine-derived identifier.
  void resetUniqueIdentifier();
  // Where the machine id is read from, in order (for tests and unusual
  // systems).
  void setMachineIdPaths(std::vector<std::string> paths);

  // The identifier for a given machine id: the first 40 hex digits of
  // SHA-256 over the app's salt and the id, the length of the device
  // identifiers the ad server was built for. nullopt for an empty or
  // "uninitialized" id.
  static std::optional<std::string> identifierFromMachineId(std::string_view machineId);
  // Leading run of digits and dots, without a trailing dot.
  static std::string leadingVersionNumbers(std::string_view release);

 private:
  Device();

  mutable std::mutex mutex_;
  bool overridden_ = false;
  std::optional<std::string> override_;
  std::vector<std::string> machineIdPaths_;
  // The identifier derived from the machine id, once read.
  mutable std::optional<std::optional<std::string>> derived_;
};

}  // namespace platform
