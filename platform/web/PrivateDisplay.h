#pragma once
// An X server of the process's own (Xvfb) for when the web engine needs a
// display and none is set: headless runs on a machine without a desktop.
//
//   if (auto error = PrivateDisplay::start(); !error.empty()) { ...no web views... }
//   // DISPLAY now names the private server; GTK can be initialized.
//
// Xvfb picks a free display number itself and reports it back; it listens
// only on a local socket. The server is stopped when the process exits (or
// by stop()), and dies with the process if that is killed, so none is left
// behind.
//
// Ownership: one server per process at most, owned by this class.

#include <sys/types.h>

#include <string>

namespace platform::web {

class PrivateDisplay {
 public:
  // Seconds Xvfb may take to come up before the start counts as failed.
  static constexpr double kStartTimeout = 10.0;
  static constexpr double kStopTimeout = 2.0;

  // Starts the server (once) and sets DISPLAY. Returns "" on success, or a
  // message saying why there is no display (Xvfb missing, failed to start).
  static std::string start();
  static bool isRunning() { return pid_ > 0; }
  static pid_t pid() { return pid_; }
  // The display name it serves, such as ":99", or "".
  static const std::string& displayName() { return display_; }
  static void stop();

  // The full path of `program` found along PATH, or "".
  static std::string findProgram(const std::string& program);

 private:
  static pid_t pid_;
  static std::string display_;
};

}  // namespace platform::web
