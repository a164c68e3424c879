#include "platform/shell/AppLauncher.h"
#include "platform/shell/LaunchFlags.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/addressbook/AddressBook.h"
#include "platform/foundation/AppPaths.h"
#include "tests/support/ScopedAppIdentity.h"

namespace platform::shell {
namespace {

struct Env {
  std::map<std::string, std::string> values;
  AppLauncher::GetEnv get() const {
    return [this](const char* name) -> const char* {
      auto found = values.find(name);
      return found == values.end() ? nullptr : found->second.c_str();
    };
  }
};

using testing_support::ScopedAppIdentity;

// Parsed as another app would be: environment variables carry its prefix.
AppLauncher::ParseResult parse(std::vector<std::string> args, const Env& env = {}) {
  ScopedAppIdentity identity(ScopedAppIdentity::hostApp());
  return AppLauncher::parse(args, env.get());
}

TEST(AppLauncherFlags, ReadsEveryFlagInBothSpellings) {
  auto result = parse({"--home", "/tmp/h", "--device-id=abc-123", "--language", "es", "--locale",
                       "es_ES", "--location-services", "on", "--location", "40.4,-3.7,65", "--open-urls", "log",
                       "--audio=off", "--scale", "2", "--fit-screen", "off", "--out", "/tmp/o"});
  ASSERT_EQ(result.error, "");
  const auto& o = result.options;
  EXPECT_EQ(o.home, "/tmp/h");
  EXPECT_EQ(o.deviceId, "abc-123");
  EXPECT_EQ(o.language, "es");
  EXPECT_EQ(o.locale, "es_ES");
  EXPECT_EQ(o.locationServices, true);
  EXPECT_EQ(o.location, "40.4,-3.7,65");
  EXPECT_EQ(o.openUrls, UrlOpening::Log);
  EXPECT_EQ(o.audio, false);
  EXPECT_EQ(o.scale, 2);
  EXPECT_FALSE(o.fitScreen);
  EXPECT_TRUE(parse({}).options.fitScreen) << "fitted unless asked otherwise";
  EXPECT_EQ(o.out, "/tmp/o");
  EXPECT_FALSE(o.headless);
}

TEST(AppLauncherFlags, DefaultsDependOnTheFrontEnd) {
  auto window = parse({}).options;
  EXPECT_EQ(window.effectiveUrlOpening(), UrlOpening::XdgOpen);
  EXPECT_TRUE(window.effectiveAudio());
  EXPECT_EQ(window.scale, 1);
  auto headless = parse({"--headless", "--script", "s", "--out", "o"}).options;
  EXPECT_EQ(headless.effectiveUrlOpening(), UrlOpening::Log);
  EXPECT_FALSE(headless.effectiveAudio());
  auto asked = parse({"--headless", "--script", "s", "--out", "o", "--audio", "on", "--open-urls", "xdg-open"}).options;
  EXPECT_EQ(asked.effectiveUrlOpening(), UrlOpening::XdgOpen);
  EXPECT_TRUE(asked.effectiveAudio());
}

TEST(AppLauncherFlags, EnvironmentFillsInAndFlagsWin) {
  Env env{{{"HOSTAPP_HOME", "/env/home"},
           {"HOSTAPP_LANGUAGE", "fr"},
           {"HOSTAPP_NO_DEVICE_ID", "1"},
           {"HOSTAPP_HEADLESS", "0"},
           {"HOSTAPP_SCALE", "2"}}};
  auto result = parse({"--language", "de"}, env);
  ASSERT_EQ(result.error, "");
  EXPECT_EQ(result.options.home, "/env/home");
  EXPECT_EQ(result.options.language, "de");
  EXPECT_TRUE(result.options.noDeviceId);
  EXPECT_FALSE(result.options.headless);
  EXPECT_EQ(result.options.scale, 2);
  // A device identifier on the command line replaces "none" from the environment.
  result = parse({"--device-id", "x1"}, env);
  ASSERT_EQ(result.error, "");
  EXPECT_FALSE(result.options.noDeviceId);
  EXPECT_EQ(result.options.deviceId, "x1");
}

TEST(AppLauncherFlags, WallTimeIsAnInstantFromTheFlagOrTheEnvironment) {
  EXPECT_FALSE(parse({}).options.wallTime) << "unset: the real time";
  Env env{{{"HOSTAPP_WALL_TIME", "2009-06-02T12:00:00Z"}}};
  EXPECT_EQ(parse({}, env).options.wallTime, 1243944000.0);
  EXPECT_EQ(parse({"--wall-time=2009-06-02T14:00:00+02:00"}).options.wallTime, 1243944000.0);
  EXPECT_EQ(parse({"--wall-time", "2010-01-01"}, env).options.wallTime, 1262304000.0);
  EXPECT_EQ(parse({}, Env{{{"HOSTAPP_WALL_TIME", "noon"}}}).error.rfind("HOSTAPP_WALL_TIME expects", 0), 0u);
}

TEST(AppLauncherFlags, BadEnvironmentValuesNameTheVariable) {
  EXPECT_EQ(parse({}, Env{{{"HOSTAPP_SCALE", "3"}}}).error, "HOSTAPP_SCALE expects 1 or 2");
  EXPECT_EQ(parse({}, Env{{{"HOSTAPP_HEADLESS", "maybe"}}}).error, "HOSTAPP_HEADLESS expects 1 or 0");
}

struct BadFlags {
  std::vector<std::string> args;
  const char* error;
};

class AppLauncherFlagErrors : public ::testing::TestWithParam<BadFlags> {};

TEST_P(AppLauncherFlagErrors, AreRefusedWithAReason) {
  auto result = parse(GetParam().args);
  EXPECT_NE(result.error.find(GetParam().error), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, AppLauncherFlagErrors,
    ::testing::Values(BadFlags{{"--frobnicate"}, "unknown option --frobnicate"},
                      BadFlags{{"--home"}, "--home expects DIR"},
                      BadFlags{{"--address-book", ""}, "--address-book expects a folder"},
                      BadFlags{{"--scale", "3"}, "--scale expects 1 or 2"},
                      BadFlags{{"--headless=yes"}, "--headless takes no value"},
                      BadFlags{{"--request-host", "http://127.0.0.1"}, "unknown option --request-host"},
                      BadFlags{{"--device-id", "a b"}, "--device-id expects letters"},
                      BadFlags{{"--language", "es;rm"}, "--language expects"},
                      BadFlags{{"--locale", ""}, "--locale expects"},
                      BadFlags{{"--location-services", "maybe"}, "expects on or off"},
                      BadFlags{{"--location", "north"}, "--location"},
                      BadFlags{{"--open-urls", "browser"}, "expects xdg-open or log"},
                      BadFlags{{"--wall-time", "yesterday"}, "--wall-time expects a date and time"},
                      BadFlags{{"--wall-time", "2009-06-31T12:00:00Z"}, "--wall-time expects"},
                      BadFlags{{"--device-id", "a", "--no-device-id"}, "exclude each other"},
                      BadFlags{{"--location", "1,2,3", "--location-file", "f"}, "exclude each other"},
                      BadFlags{{"--headless", "--script", "s"}, "--headless needs --script FILE and --out DIR"},
                      BadFlags{{"--script", "s"}, "--script needs --headless"}));

TEST(AppLauncherFlags, HelpWinsOverEverythingElse) {
  auto result = parse({"--scale", "1", "--help", "--script", "s"});
  EXPECT_TRUE(result.options.help);
  EXPECT_EQ(result.error, "");
  EXPECT_TRUE(parse({"-h"}).options.help);
}

TEST(AppLauncherFlags, UsageListsEveryFlagWithItsVariable) {
  ScopedAppIdentity identity(ScopedAppIdentity::hostApp());
  const auto usage = AppLauncher::usage();
  for (const char* text : {"Usage: host-app [OPTIONS]", "--home DIR", "[HOSTAPP_HOME]", "--address-book DIR",
                           "[HOSTAPP_ADDRESS_BOOK]", "HOSTAPP_BUNDLE_DIR", "HOSTAPP_SCREENSHOTS", "--device-id ID", "--no-device-id",
                           "--language CODE", "--locale ID", "--location-services on|off",
                           "--location LAT,LON,ACCURACY", "--location-file FILE", "--open-urls xdg-open|log",
                           "--scale 1|2", "--headless", "--script FILE", "--out DIR", "--help"}) {
    EXPECT_NE(usage.find(text), std::string::npos) << text;
  }
}

TEST(AppLauncherApply, MissingFixFileIsReported) {
  LaunchOptions options;
  options.locationFile = "/nonexistent/fixes.txt";
  EXPECT_NE(AppLauncher::apply(options).find("--location-file"), std::string::npos);
}

TEST(AppLauncherApply, TheAddressBookFolderComesFromItsFlagElseFromTheHome) {
  auto fromEnvironment = parse({"--home", "/tmp/vorla-home"}, Env{{{"HOSTAPP_ADDRESS_BOOK", "/tmp/contacts"}}});
  ASSERT_EQ(fromEnvironment.error, "");
  EXPECT_EQ(fromEnvironment.options.addressBook, "/tmp/contacts");
  EXPECT_EQ(parse({"--address-book=/tmp/flag"}, Env{{{"HOSTAPP_ADDRESS_BOOK", "/tmp/env"}}}).options.addressBook,
            "/tmp/flag");

  auto homeOnly = parse({"--home", "/tmp/vorla-home"}).options;
  ASSERT_EQ(AppLauncher::apply(homeOnly), "");
  EXPECT_EQ(addressbook::AddressBook::defaultDirectory(), "/tmp/vorla-home/Library/AddressBook");
  ASSERT_EQ(AppLauncher::apply(fromEnvironment.options), "");
  EXPECT_EQ(addressbook::AddressBook::defaultDirectory(), "/tmp/contacts");
  EXPECT_EQ(addressbook::AddressBook::create()->path(), "/tmp/contacts");
  addressbook::AddressBook::setDefaultDirectory(std::nullopt);
  AppPaths::setHome(std::nullopt);
}

}  // namespace
}  // namespace platform::shell

namespace platform::shell {
namespace {

TEST(AppLauncherAddedFlags, AreParsedListedAndAppliedWithThePlatformsOwn) {
  std::vector<std::string> applied;
  ASSERT_TRUE(LaunchFlags::add({"--greeting", "GREETING", "TEXT", "what the test app says first",
                                [](const std::string& v) { return v.empty() ? std::string("expects a word") : ""; },
                                [&applied](const std::string& v) { applied.push_back(v); }}));
  EXPECT_FALSE(LaunchFlags::add({"--home", "HOME", "DIR", "a second home", nullptr, nullptr}))
      << "the platform's own flags stay the platform's";

  auto fromEnvironment = parse({}, Env{{{"HOSTAPP_GREETING", "hola"}}});
  ASSERT_EQ(fromEnvironment.error, "");
  EXPECT_EQ(fromEnvironment.options.added.at("--greeting"), "hola");
  auto flagWins = parse({"--greeting=hello"}, Env{{{"HOSTAPP_GREETING", "hola"}}});
  EXPECT_EQ(flagWins.options.added.at("--greeting"), "hello");
  EXPECT_EQ(parse({"--greeting", ""}).error, "--greeting expects a word");
  EXPECT_EQ(parse({}, Env{{{"HOSTAPP_GREETING", ""}}}).options.added.count("--greeting"), 0u)
      << "an empty variable is unset";

  {
    ScopedAppIdentity identity(ScopedAppIdentity::hostApp());
    EXPECT_NE(AppLauncher::usage().find("--greeting TEXT"), std::string::npos);
    EXPECT_NE(AppLauncher::usage().find("[HOSTAPP_GREETING]"), std::string::npos);
  }
  ASSERT_EQ(AppLauncher::apply(flagWins.options), "");
  ASSERT_EQ(AppLauncher::apply(parse({}).options), "");
  EXPECT_EQ(applied, std::vector<std::string>{"hello"}) << "only a given value is applied";

  // Adding it again replaces it rather than listing it twice.
  const auto count = LaunchFlags::all().size();
  ASSERT_TRUE(LaunchFlags::add({"--greeting", "GREETING", "TEXT", "says it again", nullptr, nullptr}));
  EXPECT_EQ(LaunchFlags::all().size(), count);
  AppPaths::setHome(std::nullopt);
}

}  // namespace
}  // namespace platform::shell
