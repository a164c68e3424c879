#include "platform/shell/LaunchFlags.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/foundation/Iso8601DateParser.h"
#include "platform/foundation/LanguageCode.h"
#include "platform/location/FixSchedule.h"

namespace platform::shell {

namespace {

bool isToken(const std::string& text, std::size_t maxLength, const char* extra) {
  return !text.empty() && text.size() <= maxLength && std::all_of(text.begin(), text.end(), [&](unsigned char c) {
    return std::isalnum(c) || (c != 0 && std::strchr(extra, c) != nullptr);
  });
}

std::optional<bool> onOffText(const std::string& text) {
  if (text == "on" || text == "yes" || text == "true" || text == "1") return true;
  if (text == "off" || text == "no" || text == "false" || text == "0") return false;
  return std::nullopt;
}

std::vector<LaunchFlag> platformFlags() {
  return {
      {"--home", "HOME", "DIR", "the app's home folder (Documents/, Library/Preferences/, tmp/)",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "expects a folder";
         o.home = v;
         return "";
       }},
      {"--address-book", "ADDRESS_BOOK", "DIR",
       "the address-book folder, one vCard file per entry (default: <home>/Library/AddressBook)",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "expects a folder";
         o.addressBook = v;
         return "";
       }},
      {"--device-id", "DEVICE_ID", "ID", "the device identifier (default: derived from /etc/machine-id)",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (!isToken(v, 128, "-_.:")) return "expects letters, digits and - _ . : (at most 128)";
         o.deviceId = v;
         o.noDeviceId = false;
         return "";
       }},
      {"--no-device-id", "NO_DEVICE_ID", nullptr, "report no device identifier at all",
       [](LaunchOptions& o, const std::string&) -> std::string {
         o.noDeviceId = true;
         o.deviceId.reset();
         return "";
       }},
      {"--language", "LANGUAGE", "CODE", "the preferred language (\"AppleLanguages\"), e.g. es",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (!LanguageCode::isValid(v)) return "expects a language code such as es or pt-BR";
         o.language = v;
         return "";
       }},
      {"--locale", "LOCALE", "ID", "the locale (\"AppleLocale\"), e.g. es_ES",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (!LanguageCode::isValid(v)) return "expects a locale such as es_ES";
         o.locale = v;
         return "";
       }},
      {"--location-services", "LOCATION_SERVICES", "on|off", "whether location services are on (default off)",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         auto value = onOffText(v);
         if (!value) return "expects on or off";
         o.locationServices = value;
         return "";
       }},
      {"--location", "LOCATION", "LAT,LON,ACCURACY", "one fixed position the location service reports",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         std::string error;
         if (!location::FixSchedule::fixedPosition(v, 0, error)) return error;
         o.location = v;
         o.locationFile.reset();
         return "";
       }},
      {"--location-file", "LOCATION_FILE", "FILE", "a file of timed fixes (DELAY LAT LON ACCURACY [AGE])",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "expects a file";
         o.locationFile = v;
         o.location.reset();
         return "";
       }},
      {"--open-urls", "OPEN_URLS", "xdg-open|log",
       "how URLs handed to the system are opened (default: xdg-open in the window, log headless)",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (v == "xdg-open") {
           o.openUrls = UrlOpening::XdgOpen;
         } else if (v == "log") {
           o.openUrls = UrlOpening::Log;
         } else {
           return "expects xdg-open or log";
         }
         return "";
       }},
      {"--audio", "AUDIO", "on|off", "play sounds on the audio device (default: on in the window, off headless)",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         auto value = onOffText(v);
         if (!value) return "expects on or off";
         o.audio = value;
         return "";
       }},
      {"--scale", "SCALE", "1|2", "pixels per point of the window and the screenshots",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (v != "1" && v != "2") return "expects 1 or 2";
         o.scale = v == "2" ? 2 : 1;
         return "";
       }},
      {"--fit-screen", "FIT_SCREEN", "on|off",
       "with --scale 2, shrink the window to fit the screen's work area, keeping its shape (default on; off: "
       "exactly twice 320 x 480)",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         auto value = onOffText(v);
         if (!value) return "expects on or off";
         o.fitScreen = *value;
         return "";
       }},
      {"--wall-time", "WALL_TIME", "ISO-8601",
       "the wall clock at start, e.g. 2009-06-02T12:00:00Z (default: the real time); headless, it moves on "
       "with the script's waits",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         auto date = Iso8601DateParser::dateFromString(v);
         if (!date) return "expects a date and time such as 2009-06-02T12:00:00Z, not \"" + v + "\"";
         o.wallTime = date->timeIntervalSince1970();
         return "";
       }},
      {"--headless", "HEADLESS", nullptr, "run without a window, driven by --script, writing into --out",
       [](LaunchOptions& o, const std::string&) -> std::string {
         o.headless = true;
         return "";
       }},
      {"--script", "SCRIPT", "FILE", "the script a headless run follows",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "expects a file";
         o.script = v;
         return "";
       }},
      {"--out", "OUT", "DIR", "where events.jsonl, screenshots and view dumps go",
       [](LaunchOptions& o, const std::string& v) -> std::string {
         if (v.empty()) return "expects a folder";
         o.out = v;
         return "";
       }},
      {"--help", nullptr, nullptr, "show this help",
       [](LaunchOptions& o, const std::string&) -> std::string {
         o.help = true;
         return "";
       }},
  };
}

std::vector<LaunchFlag>& table() {
  static auto* flags = new std::vector<LaunchFlag>(platformFlags());
  return *flags;
}

std::size_t platformFlagCount() {
  static const std::size_t count = platformFlags().size();
  return count;
}

}  // namespace

std::optional<bool> LaunchFlags::onOff(const std::string& text) { return onOffText(text); }

const std::vector<LaunchFlag>& LaunchFlags::all() { return table(); }

bool LaunchFlags::add(Added flag) {
  auto& flags = table();
  const auto same = std::find_if(flags.begin(), flags.end(), [&](const LaunchFlag& f) {
    return std::strcmp(f.name, flag.name) == 0;
  });
  if (same != flags.end() && same - flags.begin() < static_cast<std::ptrdiff_t>(platformFlagCount())) return false;
  const std::string name = flag.name;
  LaunchFlag made{flag.name, flag.env, flag.valueName, flag.help,
                  [name, check = std::move(flag.check)](LaunchOptions& o, const std::string& v) -> std::string {
                    if (check) {
                      if (auto error = check(v); !error.empty()) return error;
                    }
                    o.added[name] = v;
                    return "";
                  },
                  std::move(flag.apply)};
  if (same != flags.end()) {
    *same = std::move(made);
  } else {
    flags.push_back(std::move(made));
  }
  return true;
}

const LaunchFlag* LaunchFlags::find(const std::string& name) {
  for (const auto& flag : all()) {
    if (name == flag.name) return &flag;
  }
  if (name == "-h") return find("--help");
  return nullptr;
}

}  // namespace platform::shell
