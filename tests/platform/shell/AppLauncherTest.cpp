#include "platform/shell/AppLauncher.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/addressbook/AddressBook.h"
#include "platform/foundation/AppPaths.h"

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

AppLauncher::ParseResult parse(std::vector<std::string> args, const Env& env = {}) {
  return AppLauncher::parse(args, env.get());
}

TEST(AppLauncherFlags, ReadsEveryFlagInBothSpellings) {
  auto result = parse({"--home", "/tmp/h", "--request-host=http://127.0.0.1:9000", "--media-host",
                       "https://media.example.org", "--device-id", "abc-123", "--language", "es", "--locale",
                       "es_ES", "--location-services", "on", "--location", "40.4,-3.7,65", "--open-urls", "log",
                       "--audio=off", "--scale", "2", "--fit-screen", "off", "--out", "/tmp/o"});
  ASSERT_EQ(result.error, "");
  const auto& o = result.options;
  EXPECT_EQ(o.home, "/tmp/h");
  EXPECT_EQ(o.requestHost, "http://127.0.0.1:9000");
  EXPECT_EQ(o.mediaHost, "https://media.example.org");
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
  Env env{{{"VORLA_HOME", "/env/home"},
           {"VORLA_LANGUAGE", "fr"},
           {"VORLA_NO_DEVICE_ID", "1"},
           {"VORLA_HEADLESS", "0"},
           {"VORLA_SCALE", "2"}}};
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
  Env env{{{"VORLA_WALL_TIME", "2009-06-02T12:00:00Z"}}};
  EXPECT_EQ(parse({}, env).options.wallTime, 1243944000.0);
  EXPECT_EQ(parse({"--wall-time=2009-06-02T14:00:00+02:00"}).options.wallTime, 1243944000.0);
  EXPECT_EQ(parse({"--wall-time", "2010-01-01"}, env).options.wallTime, 1262304000.0);
  EXPECT_EQ(parse({}, Env{{{"VORLA_WALL_TIME", "noon"}}}).error.rfind("VORLA_WALL_TIME expects", 0), 0u);
}

TEST(AppLauncherFlags, DownloadTimeoutIsAPositiveNumberOfSecondsWithinTenMinutes) {
  EXPECT_FALSE(parse({}).options.downloadTimeout) << "unset: the library's own default";
  EXPECT_EQ(parse({"--download-timeout", "1.5"}).options.downloadTimeout, 1.5);
  EXPECT_EQ(parse({}, Env{{{"VORLA_DOWNLOAD_TIMEOUT", "600"}}}).options.downloadTimeout, 600.0);
  for (const char* bad : {"0", "0.05", "-1", "601", "nan", "inf", "1s", ""}) {
    EXPECT_NE(parse({"--download-timeout", bad}).error, "") << bad;
  }
}

TEST(AppLauncherFlags, BadEnvironmentValuesNameTheVariable) {
  EXPECT_EQ(parse({}, Env{{{"VORLA_SCALE", "3"}}}).error, "VORLA_SCALE expects 1 or 2");
  EXPECT_EQ(parse({}, Env{{{"VORLA_HEADLESS", "maybe"}}}).error, "VORLA_HEADLESS expects 1 or 0");
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
                      BadFlags{{"--request-host", "ftp://x"}, "http or https"},
                      BadFlags{{"--request-host", "not a url"}, "http or https"},
                      BadFlags{{"--media-host", "http://"}, "http or https"},
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
  const auto usage = AppLauncher::usage();
  for (const char* text : {"--home DIR", "[VORLA_HOME]", "--address-book DIR", "[VORLA_ADDRESS_BOOK]", "--request-host URL", "[VORLA_REQUEST_HOST]",
                           "--media-host URL", "[VORLA_MEDIA_HOST]", "--device-id ID", "--no-device-id",
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
  auto fromEnvironment = parse({"--home", "/tmp/vorla-home"}, Env{{{"VORLA_ADDRESS_BOOK", "/tmp/contacts"}}});
  ASSERT_EQ(fromEnvironment.error, "");
  EXPECT_EQ(fromEnvironment.options.addressBook, "/tmp/contacts");
  EXPECT_EQ(parse({"--address-book=/tmp/flag"}, Env{{{"VORLA_ADDRESS_BOOK", "/tmp/env"}}}).options.addressBook,
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
