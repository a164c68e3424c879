#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "FoundationTestFolder.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/ScopedAppIdentity.h"

namespace platform {
namespace {

using testing::FoundationTestFolder;
using Strings = std::vector<std::string>;

class UserDefaultsTest : public ::testing::Test {
 protected:
  std::string preferencesFile() const { return folder_.file("Library/Preferences/test.plist"); }

  FoundationTestFolder folder_;
};

TEST_F(UserDefaultsTest, TypedValuesAndAbsentKeys) {
  UserDefaults defaults(preferencesFile());
  EXPECT_FALSE(defaults.boolForKey("shouldVibrate"));
  EXPECT_FALSE(defaults.objectForKey("shouldVibrate"));
  EXPECT_FALSE(defaults.stringForKey("name"));
  EXPECT_EQ(defaults.integerForKey("n"), 0);

  defaults.setBoolForKey(true, "shouldVibrate");
  defaults.setIntegerForKey(-7, "n");
  defaults.setDoubleForKey(2.5, "ratio");
  defaults.setObjectForKey(PropertyListValue("Vorla"), "name");
  defaults.setObjectForKey(PropertyListValue::stringArray({"a", "b"}), "list");

  EXPECT_TRUE(defaults.boolForKey("shouldVibrate"));
  EXPECT_EQ(defaults.integerForKey("n"), -7);
  EXPECT_EQ(defaults.doubleForKey("ratio"), 2.5);
  EXPECT_EQ(defaults.integerForKey("ratio"), 2);
  EXPECT_EQ(defaults.stringForKey("name"), "Vorla");
  EXPECT_FALSE(defaults.stringForKey("n"));
  EXPECT_EQ(defaults.stringArrayForKey("list"), (Strings{"a", "b"}));
  EXPECT_EQ(defaults.arrayForKey("list")->size(), 2u);
  EXPECT_FALSE(defaults.arrayForKey("name"));
  EXPECT_EQ(defaults.objectForKey("n"), PropertyListValue(-7));
  defaults.setDoubleForKey(1e300, "ratio");
  EXPECT_EQ(defaults.integerForKey("ratio"), 0);  // no overflowing conversion
  EXPECT_EQ(defaults.integerForKey("name"), 0);

  defaults.removeObjectForKey("shouldVibrate");
  EXPECT_FALSE(defaults.boolForKey("shouldVibrate"));
  EXPECT_FALSE(defaults.objectForKey("shouldVibrate"));
}

TEST_F(UserDefaultsTest, BoolReadingOfOtherTypes) {
  UserDefaults defaults(preferencesFile());
  const std::vector<std::pair<PropertyListValue, bool>> cases = {
      {PropertyListValue("YES"), true},  {PropertyListValue("true"), true},
      {PropertyListValue("1"), true},    {PropertyListValue("NO"), false},
      {PropertyListValue("0"), false},   {PropertyListValue(""), false},
      {PropertyListValue(2), true},      {PropertyListValue(0), false},
      {PropertyListValue(0.25), true},   {PropertyListValue::stringArray({"YES"}), false}};
  for (const auto& [value, expected] : cases) {
    defaults.setObjectForKey(value, "flag");
    EXPECT_EQ(defaults.boolForKey("flag"), expected);
  }
}

TEST_F(UserDefaultsTest, ChangesSurviveAnAbruptEnd) {
  // A child process changes the preferences and ends without any orderly
  // shutdown; a new reader sees the change.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    UserDefaults defaults(preferencesFile());
    defaults.setBoolForKey(true, "shouldVibrate");
    defaults.setObjectForKey(PropertyListValue("kept"), "name");
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));

  UserDefaults reread(preferencesFile());
  EXPECT_TRUE(reread.boolForKey("shouldVibrate"));
  EXPECT_EQ(reread.stringForKey("name"), "kept");

  // The file on disk is an XML property list of the stored values only.
  const auto contents = FileManager::contentsAtPath(preferencesFile());
  ASSERT_TRUE(contents);
  PropertyList::Format format{};
  const auto stored = PropertyList::propertyListFromData(*contents, &format);
  ASSERT_TRUE(stored);
  EXPECT_EQ(format, PropertyList::Format::XML);
  EXPECT_EQ(stored->asDictionary()->size(), 2u);
  EXPECT_EQ(stored->objectForKey("AppleLanguages"), nullptr);
}

TEST_F(UserDefaultsTest, UnreadableFileIsKeptAside) {
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder_.file("Library/Preferences")));
  ASSERT_TRUE(FileManager::writeContentsAtomically(preferencesFile(), "<plist><dict><key>"));
  UserDefaults defaults(preferencesFile());
  EXPECT_FALSE(defaults.objectForKey("anything"));
  EXPECT_EQ(FileManager::contentsAtPath(preferencesFile() + ".unreadable"), "<plist><dict><key>");
  defaults.setBoolForKey(true, "fresh");
  EXPECT_TRUE(UserDefaults(preferencesFile()).boolForKey("fresh"));

  // A list whose top level is not a dictionary is not a preferences file.
  ASSERT_TRUE(FileManager::writeContentsAtomically(preferencesFile(), "(a, b)"));
  EXPECT_FALSE(UserDefaults(preferencesFile()).objectForKey("fresh"));
}

TEST_F(UserDefaultsTest, AnUnreadableFileIsNamedInTheLogAndNeverReplacesAnEarlierOne) {
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder_.file("Library/Preferences")));
  for (const char* broken : {"first broken file", "second broken file"}) {
    ASSERT_TRUE(FileManager::writeContentsAtomically(preferencesFile(), broken));
    ::testing::internal::CaptureStderr();
    UserDefaults defaults(preferencesFile());
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(preferencesFile()), std::string::npos) << log;
  }
  EXPECT_EQ(FileManager::contentsAtPath(preferencesFile() + ".unreadable"), "first broken file");
  EXPECT_EQ(FileManager::contentsAtPath(preferencesFile() + ".unreadable-2"), "second broken file");
  EXPECT_FALSE(FileManager::fileExistsAtPath(preferencesFile()));
}

TEST_F(UserDefaultsTest, AValueTheFileCannotHoldNeverKeepsTheOthersFromBeingSaved) {
  // A NaN read from the file itself, as another program may have written it.
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder_.file("Library/Preferences")));
  ASSERT_TRUE(FileManager::writeContentsAtomically(
      preferencesFile(), "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>ratio</key><real>nan</real>"
                         "<key>shouldVibrate</key><true/></dict></plist>"));
  UserDefaults defaults(preferencesFile());
  std::vector<std::string> saved;
  defaults.setWriteObserver(
      [&](const std::string& key, const std::optional<PropertyListValue>&) { saved.push_back(key); });

  ::testing::internal::CaptureStderr();
  defaults.setBoolForKey(false, "shouldVibrate");
  defaults.setObjectForKey(PropertyListValue(std::string("nul\0inside", 10)), "name");
  defaults.setObjectForKey(PropertyListValue(Date::dateWithTimeIntervalSince1970(1e12)), "until");
  defaults.setIntegerForKey(3, "count");
  const std::string log = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(saved, (Strings{"shouldVibrate", "count"})) << "only what the file holds is reported";
  UserDefaults reread(preferencesFile());
  EXPECT_EQ(reread.objectForKey("shouldVibrate"), PropertyListValue(false));
  EXPECT_EQ(reread.integerForKey("count"), 3);
  EXPECT_FALSE(reread.objectForKey("name"));
  EXPECT_FALSE(reread.objectForKey("until"));
  EXPECT_TRUE(defaults.objectForKey("name")) << "kept in memory";
  EXPECT_FALSE(defaults.synchronize());
  // Each unwritable value is named once, not at every save.
  for (const char* key : {"\"ratio\"", "\"name\"", "\"until\""}) {
    const auto first = log.find(key);
    EXPECT_NE(first, std::string::npos) << key << " in " << log;
    EXPECT_EQ(log.find(key, first + 1), std::string::npos) << key << " in " << log;
  }

  // Once the bad values are gone the file holds everything again.
  for (const char* key : {"ratio", "name", "until"}) defaults.removeObjectForKey(key);
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_EQ(saved.size(), 5u) << "the removals of ratio, name and until";
}

TEST_F(UserDefaultsTest, AChangeIsReportedOnlyOnceItIsWritten) {
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder_.file("Library")));
  ASSERT_TRUE(FileManager::writeContentsAtomically(folder_.file("Library/Preferences"), "x"));
  UserDefaults defaults(preferencesFile());
  std::vector<std::pair<std::string, std::optional<PropertyListValue>>> saved;
  defaults.setWriteObserver([&](const std::string& key, const std::optional<PropertyListValue>& value) {
    saved.emplace_back(key, value);
  });
  defaults.setBoolForKey(true, "shouldVibrate");
  EXPECT_TRUE(saved.empty()) << "the write failed";
  ASSERT_TRUE(FileManager::removeItemAtPath(folder_.file("Library/Preferences")));
  EXPECT_TRUE(defaults.synchronize());
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].first, "shouldVibrate");
  EXPECT_EQ(saved[0].second, PropertyListValue(true));
}

TEST_F(UserDefaultsTest, FailedWritesAreRetried) {
  // The preferences folder cannot be made while a file is in its place.
  ASSERT_TRUE(FileManager::createDirectoryAtPath(folder_.file("Library")));
  ASSERT_TRUE(FileManager::writeContentsAtomically(folder_.file("Library/Preferences"), "x"));
  UserDefaults defaults(preferencesFile());
  defaults.setBoolForKey(true, "shouldVibrate");
  EXPECT_TRUE(defaults.boolForKey("shouldVibrate"));  // kept in memory
  EXPECT_FALSE(defaults.synchronize());

  ASSERT_TRUE(FileManager::removeItemAtPath(folder_.file("Library/Preferences")));
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_TRUE(UserDefaults(preferencesFile()).boolForKey("shouldVibrate"));
  EXPECT_TRUE(defaults.synchronize());
}

TEST_F(UserDefaultsTest, ValuesThatCannotBeStoredStayInMemoryOnly) {
  UserDefaults defaults(preferencesFile());
  defaults.setObjectForKey(PropertyListValue("good"), "a");
  defaults.setObjectForKey(PropertyListValue(std::string("nul\0inside", 10)), "b");
  EXPECT_FALSE(defaults.synchronize());
  EXPECT_EQ(UserDefaults(preferencesFile()).stringForKey("a"), "good");
  defaults.removeObjectForKey("b");
  EXPECT_TRUE(defaults.synchronize());
}

TEST_F(UserDefaultsTest, OverridesBeatStoredValuesWhichBeatRegisteredOnes) {
  UserDefaults defaults(preferencesFile());
  defaults.registerDefaults({{"volume", 1}});
  EXPECT_EQ(defaults.integerForKey("volume"), 1);
  defaults.setIntegerForKey(2, "volume");
  EXPECT_EQ(defaults.integerForKey("volume"), 2);
  defaults.setOverride("volume", PropertyListValue(3));
  EXPECT_EQ(defaults.integerForKey("volume"), 3);
  defaults.setOverride("volume", std::nullopt);
  EXPECT_EQ(defaults.integerForKey("volume"), 2);
  defaults.removeObjectForKey("volume");
  EXPECT_EQ(defaults.integerForKey("volume"), 1);

  defaults.setOverride("AppleLanguages", PropertyListValue::stringArray({"fr"}));
  EXPECT_EQ(defaults.stringArrayForKey("AppleLanguages"), (Strings{"fr"}));
  defaults.setBoolForKey(true, "x");
  UserDefaults reread(preferencesFile());
  EXPECT_NE(reread.stringArrayForKey("AppleLanguages"), (Strings{"fr"}));
}

TEST_F(UserDefaultsTest, WriteObserverSeesEveryChange) {
  UserDefaults defaults(preferencesFile());
  std::vector<std::pair<std::string, std::optional<PropertyListValue>>> seen;
  defaults.setWriteObserver([&](const std::string& key, const std::optional<PropertyListValue>& value) {
    // The observer may read the defaults it is told about.
    EXPECT_EQ(defaults.objectForKey(key), value);
    seen.emplace_back(key, value);
  });
  defaults.setBoolForKey(true, "shouldVibrate");
  defaults.removeObjectForKey("shouldVibrate");
  defaults.removeObjectForKey("never-set");
  defaults.setOverride("AppleLocale", PropertyListValue("fr_FR"));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, "shouldVibrate");
  EXPECT_EQ(seen[0].second, PropertyListValue(true));
  EXPECT_EQ(seen[1].second, std::nullopt);
}

TEST(UserDefaultsLocaleTest, LanguagesAndLocaleFromTheEnvironment) {
  using Locale = UserDefaults::LocaleDefaults;
  auto check = [](const char* language, const char* lcAll, const char* lang, Strings languages,
                  const std::string& locale) {
    const Locale result = UserDefaults::localeDefaultsFromEnvironment(language, lcAll, lang);
    EXPECT_EQ(result.languages, languages) << (lang ? lang : "(null)");
    EXPECT_EQ(result.locale, locale) << (lang ? lang : "(null)");
  };
  check(nullptr, nullptr, "es_ES.UTF-8", {"es"}, "es_ES");
  check("fr:en", nullptr, "es_ES.UTF-8", {"fr", "en"}, "es_ES");
  check("pt_BR:pt:en_GB.UTF-8", nullptr, nullptr, {"pt", "en"}, "en_US");
  check(nullptr, nullptr, nullptr, {"en"}, "en_US");
  check("", "", "", {"en"}, "en_US");
  check(nullptr, nullptr, "C", {"en"}, "en_US");
  check(nullptr, nullptr, "C.UTF-8", {"en"}, "en_US");
  check(nullptr, nullptr, "POSIX", {"en"}, "en_US");
  check(nullptr, "de_AT.UTF-8@euro", "es_ES.UTF-8", {"de"}, "de_AT");
  check(nullptr, "C", "es_ES.UTF-8", {"en"}, "en_US");
  check(":::", nullptr, "ja_JP", {"ja"}, "ja_JP");
  // Nothing odd may reach the user agent or a URL.
  check("x y:../..:fr", nullptr, "en_US\r\nX-Evil: 1", {"fr"}, "en_US");
  check(nullptr, nullptr, "_US", {"en"}, "en_US");
}

TEST(UserDefaultsLocaleTest, RegisteredFromTheProcessEnvironment) {
  FoundationTestFolder folder;
  ::setenv("LANGUAGE", "", 1);
  ::unsetenv("LC_ALL");
  ::setenv("LANG", "es_ES.UTF-8", 1);
  UserDefaults defaults(folder.file("p.plist"));
  EXPECT_EQ(defaults.stringArrayForKey("AppleLanguages"), (Strings{"es"}));
  EXPECT_EQ(defaults.stringForKey("AppleLocale"), "es_ES");
  // A stored value wins over the environment.
  defaults.setObjectForKey(PropertyListValue("fr_FR"), "AppleLocale");
  EXPECT_EQ(UserDefaults(folder.file("p.plist")).stringForKey("AppleLocale"), "fr_FR");
}

TEST(UserDefaultsLocaleTest, StandardDefaultsLiveUnderTheAppHome) {
  // The shared instance is made once per process, so look at it in a
  // process of its own.
  FoundationTestFolder folder;
  GTEST_FLAG_SET(death_test_style, "fast");
  EXPECT_EXIT(
      {
        AppIdentity::setCurrent(testing_support::ScopedAppIdentity::hostApp());
        AppPaths::setHome(folder.path());
        UserDefaults& standard = UserDefaults::standardUserDefaults();
        standard.setBoolForKey(true, "shouldVibrate");
        const bool ok =
            standard.filePath() == folder.path() + "/Library/Preferences/host-app.plist" &&
            &standard == &UserDefaults::standardUserDefaults() &&
            FileManager::fileExistsAtPath(standard.filePath());
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(UserDefaults(folder.path() + "/Library/Preferences/host-app.plist")
                  .boolForKey("shouldVibrate"));
}

}  // namespace
}  // namespace platform
