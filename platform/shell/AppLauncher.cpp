#include "platform/shell/AppLauncher.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/addressbook/AddressBook.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/EventJournal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/TemporaryFileSweeper.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FontConfiguration.h"
#include "platform/location/LocationManager.h"
#include "platform/media/SystemSound.h"
#include "platform/shell/ApplicationDelegateRegistry.h"
#include "platform/shell/HeadlessDriver.h"
#include "platform/shell/LaunchFlags.h"
#include "platform/shell/WindowFrontEnd.h"
#include "platform/ui/Screen.h"

namespace platform::shell {

namespace {

AppLauncher::OptionsHook& optionsHook() {
  static auto* hook = new AppLauncher::OptionsHook();
  return *hook;
}

std::string& usageNotes() {
  static auto* notes = new std::string();
  return *notes;
}

}  // namespace

AppLauncher::ParseResult AppLauncher::parse(const std::vector<std::string>& arguments, const GetEnv& getEnv) {
  ParseResult result;
  auto& options = result.options;
  // The environment first, so that flags given on the command line win.
  for (const auto& flag : LaunchFlags::all()) {
    if (!flag.env || !getEnv) continue;
    const char* value = getEnv(flag.env);
    if (!value || !*value) continue;
    std::string text = value;
    if (!flag.valueName) {
      auto on = LaunchFlags::onOff(text);
      if (!on) {
        result.error = std::string(flag.env) + " expects 1 or 0";
        return result;
      }
      if (!*on) continue;
    }
    if (auto error = flag.set(options, text); !error.empty()) {
      result.error = std::string(flag.env) + " " + error;
      return result;
    }
  }
  bool sawDeviceId = false, sawNoDeviceId = false, sawLocation = false, sawLocationFile = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    std::optional<std::string> inlineValue;
    if (auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name = name.substr(0, eq);
    }
    const LaunchFlag* flag = LaunchFlags::find(name);
    if (!flag) {
      result.error = "unknown option " + arguments[i];
      return result;
    }
    std::string value;
    if (flag->valueName) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        result.error = name + " expects " + flag->valueName;
        return result;
      }
    } else if (inlineValue) {
      result.error = name + " takes no value";
      return result;
    }
    if (auto error = flag->set(options, value); !error.empty()) {
      result.error = name + " " + error;
      return result;
    }
    sawDeviceId |= name == "--device-id";
    sawNoDeviceId |= name == "--no-device-id";
    sawLocation |= name == "--location";
    sawLocationFile |= name == "--location-file";
  }
  if (options.help) return result;
  if (sawDeviceId && sawNoDeviceId) {
    result.error = "--device-id and --no-device-id exclude each other";
  } else if (sawLocation && sawLocationFile) {
    result.error = "--location and --location-file exclude each other";
  } else if (options.headless && (!options.script || !options.out)) {
    result.error = "--headless needs --script FILE and --out DIR";
  } else if (!options.headless && options.script) {
    result.error = "--script needs --headless";
  }
  return result;
}

std::string AppLauncher::usage() {
  std::string text =
      "Usage: vorla-button [OPTIONS]\n"
      "       vorla-button --headless --script FILE --out DIR [OPTIONS]\n\n"
      "Options (each also read from the environment variable shown):\n";
  for (const auto& flag : LaunchFlags::all()) {
    std::string left = std::string("  ") + flag.name + (flag.valueName ? std::string(" ") + flag.valueName : "");
    if (left.size() < 34) left.resize(34, ' ');
    text += left + " " + flag.help;
    if (flag.env) text += std::string(" [") + flag.env + "]";
    text += "\n";
  }
  text +=
      "\nOther environment variables:\n"
      "  VORLA_BUNDLE_DIR                   the folder of the app's images, sounds and fonts (default: the\n"
      "                                     assets folder next to the program or up to three folders above)\n"
      "  VORLA_SCREENSHOTS                  where the window's s key saves screenshots (default: the\n"
      "                                     current folder)\n";
  if (!usageNotes().empty()) text += "\n" + usageNotes();
  return text;
}

void AppLauncher::setUsageNotes(std::string notes) { usageNotes() = std::move(notes); }

void AppLauncher::removeStaleTemporaryFiles() {
  if (const auto removed = TemporaryFileSweeper::removeStaleTemporaryFilesUnder(AppPaths::home())) {
    log("Removed " + std::to_string(removed) + " temporary file" + (removed == 1 ? "" : "s") +
        " left behind by an interrupted write");
  }
}

void AppLauncher::setOptionsHook(OptionsHook hook) { optionsHook() = std::move(hook); }

std::string AppLauncher::apply(const LaunchOptions& options) {
  // The fixes first: a bad fix file stops the start before anything changed.
  location::LocationSettings settings;
  settings.servicesEnabled = options.locationServices.value_or(false);
  std::string error;
  if (options.location) {
    auto fixes = location::FixSchedule::fixedPosition(*options.location, 0, error);
    if (!fixes) return "--location " + error;
    settings.fixes = *fixes;
  } else if (options.locationFile) {
    auto fixes = location::FixSchedule::fromFile(*options.locationFile, error);
    if (!fixes) return "--location-file " + error;
    settings.fixes = *fixes;
  }
  location::LocationManager::setSystemSettings(settings);

  // The home before the preferences, which are read from it on first use.
  if (options.home) AppPaths::setHome(*options.home);
  if (options.addressBook) addressbook::AddressBook::setDefaultDirectory(*options.addressBook);
  if (options.noDeviceId) {
    Device::currentDevice().setUniqueIdentifier(std::nullopt);
  } else if (options.deviceId) {
    Device::currentDevice().setUniqueIdentifier(*options.deviceId);
  }
  auto& defaults = UserDefaults::standardUserDefaults();
  if (options.language) {
    defaults.setOverride("AppleLanguages", PropertyListValue::stringArray({*options.language}));
  }
  if (options.locale) defaults.setOverride("AppleLocale", PropertyListValue(*options.locale));

  ui::Screen::mainScreen().setScale(options.scale);
  media::SystemSound::setAudioOutputEnabled(options.effectiveAudio());
  // Without the app's font rules text falls back to the system's fonts;
  // the font configuration logs why, and the app still runs.
  (void)graphics::FontConfiguration::ensureLoaded(Bundle::mainBundle().resourcePath());
  return "";
}

int AppLauncher::main(int argc, char** argv, const std::string& delegateClassName) {
  // Applying the options reads the preferences, and what that logs (a file
  // set aside) belongs in the journal the front end opens afterwards.
  EventJournal::holdEventsUntilCurrent();
  std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + std::max(argc, 0));
  auto parsed = parse(arguments, [](const char* name) { return std::getenv(name); });
  if (parsed.options.help) {
    std::fputs(usage().c_str(), stdout);
    return 0;
  }
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "vorla-button: %s\n%s", parsed.error.c_str(), usage().c_str());
    return kExitUsage;
  }
  if (auto error = apply(parsed.options); !error.empty()) {
    std::fprintf(stderr, "vorla-button: %s\n", error.c_str());
    return kExitUsage;
  }
  if (optionsHook()) optionsHook()(parsed.options);
  auto delegate = ApplicationDelegateRegistry::create(delegateClassName);
  if (!delegate) {
    std::fprintf(stderr, "vorla-button: no application delegate class named \"%s\"\n", delegateClassName.c_str());
    return kExitFailure;
  }
  if (parsed.options.headless) return HeadlessDriver(parsed.options).run(*delegate);
  return WindowFrontEnd(parsed.options).run(*delegate);
}

}  // namespace platform::shell
