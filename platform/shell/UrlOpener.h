#pragma once
// Hands a URL to the desktop with xdg-open, without waiting for it: the app
// goes on at once, as on the phone, and the helper is reaped by the system
// (it is started detached). The URL is passed as one argument, never
// through a shell, so no character of it can run a command.

#include <string>

namespace platform::shell {

class UrlOpener {
 public:
  // False when xdg-open could not be started (not installed, or the URL
  // looks like an option to it).
  static bool openWithXdgOpen(const std::string& url);
  // The program used; tests and unusual desktops may change it.
  static void setProgram(std::string program);
};

}  // namespace platform::shell
