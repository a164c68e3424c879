// The app started on a home that another program (or an attacker) has
// written to: stored preferences with values that are no language or locale,
// values the preferences file cannot hold, and files left behind by a write
// that was cut short.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>

#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

extern char** environ;

namespace e2e {
namespace {

namespace fs = std::filesystem;

// The temporary files of interrupted writes under a folder.
std::vector<std::string> leftovers(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    const auto dot = name.rfind('.');
    if (entry.is_regular_file() && dot != std::string::npos && name.size() - dot == 7 &&
        std::all_of(name.begin() + static_cast<long>(dot) + 1, name.end(), [](char c) { return std::isalnum(c); }))
      found.push_back(entry.path().string());
  }
  return found;
}

class HostileHome : public ::testing::Test {
 protected:
  std::string home() const { return dir_.path() + "/home"; }
  std::string preferencesFile() const { return home() + "/Library/Preferences/vorla-button.plist"; }
  void writePreferences(const std::string& entries) const {
    fs::create_directories(home() + "/Library/Preferences");
    std::ofstream(preferencesFile()) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                     << entries << "</dict></plist>\n";
  }
  static bool anyLogLineStartsWith(const RunResult& run, const std::string& start) {
    const auto lines = run.logLines();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
  }

  TempDir dir_;
};

TEST_F(HostileHome, StoredLanguageAndLocaleThatAreNoCodesAreIgnored) {
  writePreferences(
      "<key>AppleLanguages</key><array><string>../../../../escaped</string><string>fr</string></array>"
      "<key>AppleLocale</key><string>en_US&#13;&#10;X-Evil: 1</string>");
  AdServerProcess server(dir_.path(), "bench/inventory-text");
  auto run = AppRun::headless(home(), "wait 1\n", server.hostArguments());
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_EQ(run.adLogLines(), std::vector<std::string>{"Pennant: Did receive ad"});
  EXPECT_TRUE(anyLogLineStartsWith(run, "Ignoring an invalid language or locale code in AppleLanguages"));
  EXPECT_TRUE(anyLogLineStartsWith(run, "Ignoring an invalid language or locale code in AppleLocale"));

  // The next language in the list is asked for; nothing named by the bad one
  // was requested or written anywhere.
  bool askedForFrench = false;
  for (const auto& line : server.logLines()) {
    EXPECT_EQ(line.find("escaped"), std::string::npos) << line;
    EXPECT_EQ(line.find("X-Evil"), std::string::npos) << line;
    askedForFrench |= line.find("\"/static/iphone/i18n/20090402/fr.strings\"") != std::string::npos;
    if (line.find("\"/ad_source.php\"") != std::string::npos) {
      EXPECT_NE(line.find("; unknown) AppleWebKit"), std::string::npos) << "no locale in the user agent: " << line;
    }
  }
  EXPECT_TRUE(askedForFrench);
  for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().filename().string().find("escaped"), std::string::npos) << entry.path();
  }
}

TEST_F(HostileHome, AValueTheFileCannotHoldDoesNotLoseTheVibrateSwitch) {
  writePreferences("<key>ratio</key><real>nan</real><key>shouldVibrate</key><true/>");
  auto first = AppRun::headless(home(), "tap 297 82\nwait 1\ntap 258 287\n");
  ASSERT_EQ(first.status, 0) << first.stderrText;
  const auto saved = first.ofType("defaults");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].key, "shouldVibrate");
  EXPECT_EQ(saved[0].boolValue, std::optional<bool>(false));
  EXPECT_TRUE(anyLogLineStartsWith(first, "Cannot store the preference \"ratio\""));

  auto second = AppRun::headless(home(), "tap 160 239\n");
  ASSERT_EQ(second.status, 0) << second.stderrText;
  ASSERT_EQ(second.ofType("sound").size(), 1u);
  EXPECT_FALSE(second.ofType("sound")[0].vibrate) << "the switch was stored";
}

TEST_F(HostileHome, KillsAtRandomMomentsLeaveNoTemporaryFilesAndNoBrokenPreferences) {
  // Each run turns the vibrate switch over and over (a preferences write
  // each time) and is killed at a random moment while it writes.
  const std::string script = dir_.path() + "/toggle.script";
  std::ofstream toggles(script);
  toggles << "tap 297 82\nwait 1\n";
  for (int i = 0; i < 400; ++i) toggles << "tap 258 287\n";
  toggles.close();
  std::mt19937 random(2009);
  bool sawLeftovers = false;
  for (int kill = 0; kill < 12; ++kill) {
    std::vector<std::string> args = {AppRun::program(), "--headless", "--script", script, "--out",
                                     dir_.path() + "/out" + std::to_string(kill), "--home", home(),
                                     "--request-host", "http://127.0.0.1:1", "--media-host", "http://127.0.0.1:1"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Once the run has started writing (its journal shows a saved change),
    // a random moment among the writes that follow.
    const std::string journal = args[5] + "/events.jsonl";
    for (int poll = 0; poll < 2000; ++poll) {
      std::ifstream in(journal);
      const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (text.find("\"type\":\"defaults\"") != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 80));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    sawLeftovers |= !leftovers(home()).empty();
  }
  ASSERT_TRUE(sawLeftovers) << "no kill fell inside a write: the test proved nothing";
  // Files younger than a second might still be written by someone: wait
  // that long, then one normal start sweeps everything.
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  const std::size_t left = leftovers(home()).size();
  auto run = AppRun::headless(home(), "tap 160 239\n");
  ASSERT_EQ(run.status, 0) << run.stderrText;
  EXPECT_TRUE(leftovers(home()).empty()) << leftovers(home()).size() << " left";
  if (left > 0) {
    EXPECT_TRUE(anyLogLineStartsWith(run, "Removed " + std::to_string(left) + " temporary file")) << left;
  }
  for (const auto& line : run.logLines()) {
    EXPECT_EQ(line.find("cannot be read"), std::string::npos) << "the preferences were never half written: " << line;
  }
  ASSERT_EQ(run.ofType("sound").size(), 1u);
}

}  // namespace
}  // namespace e2e
