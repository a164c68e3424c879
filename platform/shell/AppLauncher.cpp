#include "platform/shell/AppLauncher.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/addressbook/AddressBook.h"
#include "platform/foundation/AppIdentity.h"
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

std::vector<std::string>& usageNotes() {
  static auto* notes = new std::vector<std::string>();
  return *notes;
}

}  // namespace

AppLauncher::ParseResult AppLauncher::parse(const std::vector<std::string>& arguments, const GetEnv& getEnv) {
  ParseResult result;
  auto& options = result.options;
  const AppIdentity identity = AppIdentity::current();
  // The environment first, so that flags given on the command line win.
  for (const auto& flag : LaunchFlags::all()) {
    if (!flag.env || !getEnv) continue;
    const std::string variable = identity.environmentVariable(flag.env);
    const char* value = getEnv(variable.c_str());
    if (!value || !*value) continue;
    std::string text = value;
    if (!flag.valueName) {
      auto on = LaunchFlags::onOff(text);
      if (!on) {
        result.error = variable + " expects 1 or 0";
        return result;
      }
      if (!*on) continue;
    }
    if (auto error = flag.set(options, text); !error.empty()) {
      result.error = variable + " " + error;
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
  const AppIdentity identity = AppIdentity::current();
  std::string text = "Usage: " + identity.fileName + " [OPTIONS]\n       " + identity.fileName +
                     " --headless --script FILE --out DIR [OPTIONS]\n\n"
                     "Options (each also read from the environment variable shown):\n";
  auto describe = [&](const LaunchFlag& flag) {
    std::string left = std::string("  ") + flag.name + (flag.valueName ? std::string(" ") + flag.valueName : "");
    if (left.size() < 34) left.resize(34, ' ');
    text += left + " " + flag.help;
    if (flag.env) text += " [" + identity.environmentVariable(flag.env) + "]";
    text += "\n";
  };
  // --help closes the list, after the flags the app and its libraries added.
  for (const auto& flag : LaunchFlags::all()) {
    if (std::string_view(flag.name) != "--help") describe(flag);
  }
  describe(*LaunchFlags::find("--help"));
  auto variable = [&](const char* suffix) {
    std::string left = "  " + identity.environmentVariable(suffix);
    if (left.size() < 37) left.resize(37, ' ');
    return left;
  };
  text += "\nOther environment variables:\n" + variable("BUNDLE_DIR") +
          "the folder of the app's images, sounds and fonts (default:\n"
          "                                     <prefix>/share/" + identity.fileName + " for the program in <prefix>/bin,\n"
          "                                     or the copy the build lays out in <build>/share)\n" +
          variable("SCREENSHOTS") +
          "where the window's s key saves screenshots (default: the\n"
          "                                     current folder)\n";
  for (const auto& notes : usageNotes()) text += "\n" + notes;
  return text;
}

void AppLauncher::addUsageNotes(std::string notes) {
  auto& all = usageNotes();
  if (std::find(all.begin(), all.end(), notes) == all.end()) all.push_back(std::move(notes));
}

void AppLauncher::printError(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", AppIdentity::current().fileName.c_str(), message.c_str());
}

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

  // The app's and its libraries' own flags, after the platform's settings
  // they may build on.
  for (const auto& flag : LaunchFlags::all()) {
    const auto value = options.added.find(flag.name);
    if (flag.apply && value != options.added.end()) flag.apply(value->second);
  }

  ui::Screen::mainScreen().setScale(options.scale);
  media::SystemSound::setAudioOutputEnabled(options.effectiveAudio());
  return "";
}

void AppLauncher::loadBundleFonts() {
  // A program without a bundle of its own (a host of the ad library) has
  // no font rules to miss.
  if (Bundle::mainBundle().resourcePath().empty()) return;
  // Asked through the bundle, so that missing rules are reported as any
  // missing resource is. Without them text falls back to the system's
  // fonts, and the app still runs.
  if (Bundle::mainBundle().pathForResourceOfType(graphics::FontConfiguration::kRulesFile, "")) {
    (void)graphics::FontConfiguration::ensureLoaded(Bundle::mainBundle().resourcePath());
  }
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
    printError(parsed.error);
    std::fputs(usage().c_str(), stderr);
    return kExitUsage;
  }
  if (auto error = apply(parsed.options); !error.empty()) {
    printError(error);
    return kExitUsage;
  }
  if (optionsHook()) optionsHook()(parsed.options);
  auto delegate = ApplicationDelegateRegistry::create(delegateClassName);
  if (!delegate) {
    printError("no application delegate class named \"" + delegateClassName + "\"");
    return kExitFailure;
  }
  if (parsed.options.headless) return HeadlessDriver(parsed.options).run(*delegate);
  return WindowFrontEnd(parsed.options).run(*delegate);
}

}  // namespace platform::shell
