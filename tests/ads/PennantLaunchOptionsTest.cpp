#include "ads/PennantLaunchOptions.h"

#include <gtest/gtest.h>

#include <map>

#include "ads/PennantAdServer.h"
#include "ads/PennantURLDownload.h"
#include "platform/shell/AppLauncher.h"
#include "platform/shell/LaunchFlags.h"
#include "tests/support/ScopedAppIdentity.h"

namespace pennant {
namespace {

using platform::shell::AppLauncher;
using platform::shell::LaunchFlags;
using testing_support::ScopedAppIdentity;

AppLauncher::ParseResult parse(const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& environment = {}) {
  return AppLauncher::parse(arguments, [&](const char* name) -> const char* {
    auto found = environment.find(name);
    return found == environment.end() ? nullptr : found->second.c_str();
  });
}

void applyAddedFlags(const platform::shell::LaunchOptions& options) {
  for (const auto& [name, value] : options.added) LaunchFlags::find(name)->apply(value);
}

TEST(PennantLaunchOptions, TheAdServerHostsAreTheLibrarysOwnFlags) {
  ScopedAppIdentity identity(ScopedAppIdentity::hostApp());
  PennantLaunchOptions::registerWithLauncher();
  PennantLaunchOptions::registerWithLauncher();

  auto parsed = parse({"--request-host=http://127.0.0.1:9000/"}, {{"HOSTAPP_MEDIA_HOST", "https://media.example.org"}});
  ASSERT_EQ(parsed.error, "");
  applyAddedFlags(parsed.options);
  EXPECT_EQ(PennantAdServer::requestHost(), "http://127.0.0.1:9000");
  EXPECT_EQ(PennantAdServer::staticMediaHost(), "https://media.example.org");
  EXPECT_EQ(PennantAdServer::adRequestEndpoint(), "http://127.0.0.1:9000/ad_source.php");

  const std::string usage = AppLauncher::usage();
  EXPECT_NE(usage.find("--request-host URL"), std::string::npos);
  EXPECT_NE(usage.find("[HOSTAPP_MEDIA_HOST]"), std::string::npos);
  const auto note = usage.find("pennant-adserver --port 8420");
  ASSERT_NE(note, std::string::npos) << usage;
  EXPECT_EQ(usage.find("pennant-adserver --port 8420", note + 1), std::string::npos) << "the note shows once";

  PennantAdServer::setRequestHost(PennantAdServer::kDefaultRequestHost);
  PennantAdServer::setStaticMediaHost(PennantAdServer::kDefaultStaticMediaHost);
}

TEST(PennantLaunchOptions, HostsThatAreNotWebAddressesAreRefused) {
  PennantLaunchOptions::registerWithLauncher();
  for (const char* bad : {"ftp://x", "not a url", "http://", "file:///tmp/ads", "127.0.0.1:8420"}) {
    auto parsed = parse({"--request-host", bad});
    EXPECT_NE(parsed.error.find("--request-host expects an http or https address"), std::string::npos) << bad;
    EXPECT_NE(parse({"--media-host", bad}).error.find("--media-host expects"), std::string::npos) << bad;
  }
  EXPECT_EQ(PennantLaunchOptions::hostAddressError("https://ads.example.org:8443"), "");
}

TEST(PennantLaunchOptions, TheDownloadTimeOutIsSecondsWithinTenMinutesAndReachesNewDownloads) {
  ScopedAppIdentity identity(ScopedAppIdentity::hostApp());
  PennantLaunchOptions::registerWithLauncher();
  for (const char* bad : {"0", "0.05", "-1", "601", "nan", "inf", "1s", ""}) {
    EXPECT_NE(parse({"--download-timeout", bad}).error.find("--download-timeout expects"), std::string::npos) << bad;
  }
  auto parsed = parse({}, {{"HOSTAPP_DOWNLOAD_TIMEOUT", "1.5"}});
  ASSERT_EQ(parsed.error, "");
  applyAddedFlags(parsed.options);
  EXPECT_EQ(PennantURLDownload::defaultTimeoutInterval(), 1.5);
  PennantURLDownload::setDefaultTimeoutInterval(60);
}

}  // namespace
}  // namespace pennant
