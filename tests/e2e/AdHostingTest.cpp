// The banner in the app, against the bundled ad server: where it sits on
// every screen, when it refreshes and when it must not, what a failed first
// ad does, and what the requests carry.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

class AdHosting : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  // Times (journal seconds) of the app's ad requests.
  static std::vector<double> adRequestTimes(const RunResult& run) {
    std::vector<double> times;
    for (const auto& e : run.ofType("http"))
      if (e.line.find("/ad_source.php?") != std::string::npos) times.push_back(e.t);
    return times;
  }
  static std::string bannerFrameIn(const std::string& dump) {
    auto at = dump.find("\"class\":\"PennantViewInternal\"");
    if (at == std::string::npos) return "";
    auto frame = dump.find("\"frame\":", at);
    return dump.substr(frame + 8, dump.find(']', frame) - frame - 7);
  }

  TempDir dir_;
};

TEST_F(AdHosting, TheFirstAdPlacesTheBannerAtTheBottomOfEveryScreen) {
  AdServerProcess server(dir_.path(), "bench/inventory-text");
  ASSERT_FALSE(server.url().empty());
  auto run = AppRun::headless(home(),
                              "views english\nscreenshot english\npress \"Botón Trimo\"\nwait 1\nviews spanish\n"
                              "tap 297 82\nwait 1\nviews info\nrotate landscape-left\nwait 1\nviews landscape\n",
                              server.hostArguments());
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(run.adLogLines(), std::vector<std::string>{"Pennant: Did receive ad"});
  // (0, 412, 320, 48) in the navigation view, which starts under the status bar.
  for (const char* screen : {"english", "spanish", "info"})
    EXPECT_EQ(bannerFrameIn(run.file(std::string(screen) + ".json")), "[0,432,320,48]") << screen;
  EXPECT_NE(bannerFrameIn(run.file("landscape.json")), "") << "still in the navigation view in landscape";

  // The app's black background: mid-grey on the top edge, black from 21 down.
  auto shot = run.screenshot("english");
  ASSERT_NE(shot, nullptr);
  auto top = pixelAt(*shot, 318, 432);
  EXPECT_NEAR(top.r, 127, 4);
  EXPECT_TRUE(isNearlyBlack(pixelAt(*shot, 318, 432 + 21)));
  EXPECT_TRUE(isNearlyBlack(pixelAt(*shot, 60, 479)));
}

TEST_F(AdHosting, TextAdsRefreshEverySixtySecondsAndNoSooner) {
  AdServerProcess server(dir_.path(), "bench/inventory-text");
  auto run = AppRun::headless(home(), "wait 59.9\nviews before\nwait 0.2\nwait 0.7\nviews after\nwait 60\n",
                              server.hostArguments());
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(adRequestTimes(run), (std::vector<double>{0, 60, 120}));
  EXPECT_EQ(run.adLogLines(), std::vector<std::string>{"Pennant: Did receive ad"}) << "later ads are silent";
  EXPECT_EQ(bannerFrameIn(run.file("after.json")), "[0,432,320,48]");
}

TEST_F(AdHosting, AnImageBannerStopsTheRefreshes) {
  // The sample inventory serves a text ad first, then an image banner.
  AdServerProcess server(dir_.path(), "tools/adserver/inventory");
  auto run = AppRun::headless(home(), "wait 300\n", server.hostArguments());
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(adRequestTimes(run), (std::vector<double>{0, 60}));
}

TEST_F(AdHosting, AFailedFirstAdLeavesTheAppWithoutBannerOrRefreshes) {
  AdServerProcess server(dir_.path(), "bench/inventory-text", R"([{"path":"/ad_source.php","status":500}])");
  auto run = AppRun::headless(home(), "views launch\nwait 200\n", server.hostArguments());
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(run.adLogLines(), std::vector<std::string>{"Pennant: Did fail to receive ad"});
  EXPECT_EQ(adRequestTimes(run), std::vector<double>{0});
  EXPECT_EQ(bannerFrameIn(run.file("launch.json")), "");
}

TEST_F(AdHosting, RequestsCarryThePublisherTheLanguageAndTheDeviceHeaders) {
  AdServerProcess server(dir_.path(), "bench/inventory-text");
  auto run = AppRun::headless(home(), "wait 1\n", server.hostArguments());
  ASSERT_EQ(run.status, 0) << run.stderrText;
  auto log = server.logLines();
  auto request = std::find_if(log.begin(), log.end(),
                              [](const std::string& l) { return l.find("\"/ad_source.php\"") != std::string::npos; });
  ASSERT_NE(request, log.end());
  for (const char* part : {"\"s\":\"a15c2be9f174da6\"", "\"f\":\"jsonp\"", "\"v\":\"20090402-iSDK-5096df531ccfaf53\"",
                           "\"ad_type\":\"bar\"", "\"isu\":\"e2e-device\"", "\"X-PENNANT-ISU\":\"e2e-device\"",
                           "(Pennant-iSDK-20090402)"})
    EXPECT_NE(request->find(part), std::string::npos) << part << " in " << *request;
  EXPECT_EQ(request->find("d[coord]"), std::string::npos) << "the app never sends a location";

  // Without a device identifier (raw: the usual runs pass one).
  const std::string script = dir_.path() + "/anonymous.script";
  std::ofstream(script) << "wait 1\n";
  std::vector<std::string> args = {"--headless", "--script", script, "--out", dir_.path() + "/anonymous",
                                   "--home", home(), "--no-device-id"};
  for (const auto& argument : server.hostArguments()) args.push_back(argument);
  auto anonymous = AppRun::raw(args);
  ASSERT_EQ(anonymous.status, 0) << anonymous.stderrText;
  auto later = server.logLines();
  ASSERT_GT(later.size(), log.size());
  for (auto line = later.begin() + static_cast<long>(log.size()); line != later.end(); ++line)
    EXPECT_EQ(line->find("X-PENNANT-ISU"), std::string::npos) << *line;
}

}  // namespace
}  // namespace e2e
