// What a new user meets before the app does anything: what --help says about
// where ads come from and where the app's resources are, and a machine
// without a sound device, which must cost one line, not a screenful.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "ads/PennantAdServer.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

// Sets an environment variable for the programs a test starts.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class FirstRun : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  TempDir dir_;
};

TEST_F(FirstRun, HelpSaysWhereAdsComeFromAndWhereTheResourcesAre) {
  // --help prints to stdout; the program's usage goes there in full.
  const std::string out = dir_.path() + "/help.txt";
  const std::string command = AppRun::program() + " --help >'" + out + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in(out);
  const std::string help((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(help.find(pennant::PennantAdServer::kDefaultRequestHost), std::string::npos) << help;
  EXPECT_NE(help.find("pennant-adserver --port 8420"), std::string::npos) << help;
  EXPECT_NE(help.find("VORLA_BUNDLE_DIR"), std::string::npos) << help;
}

TEST_F(FirstRun, NoSoundDeviceIsOneLineThatSaysWhy) {
  // ALSA without any configuration finds no device, on any machine; without
  // our handler it prints its own error lines.
  const std::string config = dir_.path() + "/asound.conf";
  std::ofstream(config) << "";
  ScopedEnv driver("SDL_AUDIODRIVER", "alsa");
  ScopedEnv alsa("ALSA_CONFIG_PATH", config);
  auto run = AppRun::headless(home(), "tap 160 239\n", {"--audio", "on"});
  ASSERT_EQ(run.status, 0) << run.stderrText;
  std::size_t soundOff = 0;
  for (const auto& line : linesOf(run.stderrText)) {
    EXPECT_EQ(line.find("ALSA lib"), std::string::npos) << line;
    if (line.rfind("Sound is off: no audio device could be opened (", 0) == 0) ++soundOff;
  }
  EXPECT_EQ(soundOff, 1u) << run.stderrText;
  // The press still plays, as far as the app can tell.
  EXPECT_EQ(run.ofType("sound").size(), 1u);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST_F(FirstRun, AMissingBundleIsReportedOnceForEachFileNamingWhereItLooked) {
  const std::string nowhere = dir_.path() + "/no-bundle";
  ScopedEnv bundle("VORLA_BUNDLE_DIR", nowhere);
  auto run = AppRun::headless(home(), "tap 160 239\nwait 1\ntap 160 239\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  const std::string sound = "Missing resource \"ThatWasVorla.wav\": not in " + nowhere;
  const std::string fonts = "Missing resource \"fonts/fonts.conf\": not in " + nowhere;
  std::size_t soundLines = 0, fontLines = 0;
  for (const auto& line : run.logLines()) {
    soundLines += line == sound;
    fontLines += line == fonts;
  }
  EXPECT_EQ(soundLines, 1u) << "two presses, one report";
  EXPECT_EQ(fontLines, 1u);
  EXPECT_NE(run.stderrText.find(sound), std::string::npos) << run.stderrText;
  // The presses still count: the app carries on without its sound.
  EXPECT_EQ(run.ofType("sound").size(), 0u);
}

TEST_F(FirstRun, TheBuildTreesOwnBundleIsFoundWithoutBeingNamed) {
  auto run = AppRun::headless(home(), "tap 160 239\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  for (const auto& line : run.logLines()) EXPECT_EQ(line.find("Missing resource"), std::string::npos) << line;
  ASSERT_EQ(run.ofType("sound").size(), 1u) << run.stderrText;
  EXPECT_EQ(run.ofType("sound")[0].file, "ThatWasVorla.wav");
}

}  // namespace
}  // namespace e2e
