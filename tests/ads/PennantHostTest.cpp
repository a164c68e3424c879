#include "ads/PennantHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "AdTestDelegates.h"
#include "AdsTestSupport.h"
#include "tests/support/ScopedAppIdentity.h"

namespace pennant {
namespace {

std::string contentsOf(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A host run headless through the entry point, as a host program's main
// runs it: the window it gets places and removes ad views, and its
// repeating actions run on the script's time until they are stopped.
TEST(PennantHost, RunsAHostsWindowHeadlessOnTheScriptsTime) {
  const std::string dir = testing::testHome() + "/host-run";
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/script") << "wait 3.5\nviews shown\nwait 2\nviews removed\nquit\n";

  auto host = std::make_shared<testing::ScriptedHost>();
  std::shared_ptr<PennantView> adView;
  platform::graphics::Size size;
  int ticks = 0;
  std::function<void()> stop;
  auto launch = [&](PennantHostWindow& window) {
    size = window.size();
    adView = PennantView::requestAdWithDelegate(host);
    window.showAdView(adView, {{0, 432}, {320, 48}});
    stop = window.repeatEvery(1.0, [&, &window = window] {
      if (++ticks == 4) {
        window.removeAdView(adView);
        window.removeAdView(adView);  // not on the window any more: nothing happens
        stop();
      }
    });
  };
  PennantHostApp app{.name = "Test Host",
                     .fileName = "test-host",
                     .environmentPrefix = "TEST_HOST_",
                     .deviceIdentifierSalt = "test-host device identifier v1\n",
                     .backgroundColor = platform::graphics::Color::rgb(10, 20, 30),
                     .didFinishLaunching = launch};
  const std::string out = dir + "/out";
  std::vector<std::string> arguments{"test-host", "--headless", "--script", dir + "/script", "--out", out,
                                     "--request-host", "http://127.0.0.1:1", "--media-host", "http://127.0.0.1:1"};
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  int status = -1;
  {
    testing_support::ScopedAppIdentity previous(platform::AppIdentity::current());
    status = PennantHost::main(static_cast<int>(argv.size()), argv.data(), std::move(app));
  }
  ASSERT_EQ(status, 0);
  EXPECT_EQ(size.width, 320);
  EXPECT_EQ(size.height, 480);
  EXPECT_EQ(ticks, 4) << "three ticks by 3.5 s, the fourth stops it";
  const std::string shown = contentsOf(out + "/shown.json");
  EXPECT_NE(shown.find("\"class\":\"PennantViewInternal\",\"frame\":[0,432,320,48]"), std::string::npos) << shown;
  const std::string removed = contentsOf(out + "/removed.json");
  EXPECT_EQ(removed.find("PennantViewInternal"), std::string::npos) << removed;
  EXPECT_NE(contentsOf(out + "/events.jsonl").find("\"url\":\"http://127.0.0.1:1/"), std::string::npos)
      << "the library's flags were read";
}

}  // namespace
}  // namespace pennant
