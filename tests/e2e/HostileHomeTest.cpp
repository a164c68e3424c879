// The app started on a home that another program (or an attacker) has
// written to: stored preferences with values that are no language or locale,
// values the preferences file cannot hold, and files left behind by a write
// that was cut short.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/e2e/AdServerProcess.h"
#include "tests/e2e/AppRun.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

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

}  // namespace
}  // namespace e2e
