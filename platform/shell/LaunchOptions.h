#pragma once
// Everything the command line (or the environment beside it) can set for
// one run of the app. AppLauncher fills it in; the front ends and the app's
// main (through AppLauncher's options hook) read it.

#include <map>
#include <optional>
#include <string>

namespace platform::shell {

enum class UrlOpening {
  XdgOpen,  // hand the URL to xdg-open (never waited for)
  Log,      // only record it (journal and log)
};

struct LaunchOptions {
  std::optional<std::string> home;
  // Unset: <home>/Library/AddressBook.
  std::optional<std::string> addressBook;
  std::optional<std::string> deviceId;
  bool noDeviceId = false;
  std::optional<std::string> language;
  std::optional<std::string> locale;
  std::optional<bool> locationServices;
  std::optional<std::string> location;      // "LAT,LON,ACCURACY"
  std::optional<std::string> locationFile;  // a fix file
  // Unset: xdg-open in the window, log headless.
  std::optional<UrlOpening> openUrls;
  // Unset: on in the window, off headless.
  std::optional<bool> audio;
  // The wall clock at start, seconds since 1970; unset: the real time.
  std::optional<double> wallTime;
  int scale = 1;
  // The window shrinks to fit the screen's work area (never below scale 1).
  bool fitScreen = true;
  bool headless = false;
  std::optional<std::string> script;
  std::optional<std::string> out;
  bool help = false;
  // The values of the flags the app and its libraries added (LaunchFlags::add),
  // as given, by flag name.
  std::map<std::string, std::string> added;

  UrlOpening effectiveUrlOpening() const {
    return openUrls.value_or(headless ? UrlOpening::Log : UrlOpening::XdgOpen);
  }
  bool effectiveAudio() const { return audio.value_or(!headless); }
};

}  // namespace platform::shell
