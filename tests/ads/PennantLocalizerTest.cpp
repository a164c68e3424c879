#include "ads/PennantLocalizer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>

#include "AdsTestSupport.h"
#include "ads/PennantAdServer.h"
#include "platform/foundation/FileManager.h"
#include "tests/platform/foundation/HostilePropertyLists.h"

namespace pennant {
namespace {

using platform::FileManager;

const char* kFrenchStrings =
    "/* Textes de la banni\xc3\xa8re */\n"
    "\"Cancel\" = \"Annuler\";\n"
    "\"Call %@?\" = \"Appeler %@ ?\";\n"
    "\"Add\" = \"\";\n";

class PennantLocalizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::testHome();
    directory = testing::testHome() + "/localizer-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    FileManager::removeItemAtPath(directory);
    FileManager::createDirectoryAtPath(directory);
    server.server().Get(R"(/static/iphone/i18n/20090402/(\w+)\.strings)",
                        [this](const httplib::Request& request, httplib::Response& response) {
                          ++served;
                          if (request.matches[1] == "fr") {
                            response.set_content(kFrenchStrings, "text/plain");
                          } else if (request.matches[1] == "gone") {
                            response.status = 410;
                          } else if (request.matches[1] == "mangled") {
                            // A whole answer that is no strings file: half of one.
                            response.set_content(std::string(kFrenchStrings).substr(0, 40), "text/plain");
                          } else if (request.matches[1] == "busy") {
                            response.status = 503;
                          } else if (request.matches[1] == "xx") {
                            // One byte more than any strings file may hold.
                            response.set_content(std::string(PennantLocalizer::kMaximumStringsFileBytes + 1, ' '),
                                                 "text/plain");
                          } else {
                            response.status = 404;
                          }
                        });
    PennantAdServer::setStaticMediaHost(server.url(""));
  }
  void TearDown() override { PennantAdServer::setStaticMediaHost(PennantAdServer::kDefaultStaticMediaHost); }

  std::shared_ptr<PennantLocalizer> localizer(const std::string& language) {
    return PennantLocalizer::localizerWithDirectoryLanguage(directory, language);
  }
  void settle() { loop.runUntil([] { return false; }); }

  testing::TestLoop loop;
  testing::LoopbackServer server;
  std::atomic<int> served{0};
  std::string directory;
};

TEST(PennantLocalizerDefaults, PreferredLanguageIsTheFirstOfAppleLanguagesElseEnglish) {
  EXPECT_EQ(PennantLocalizer::preferredLanguageFromLanguages(std::nullopt), "en");
  EXPECT_EQ(PennantLocalizer::preferredLanguageFromLanguages(std::vector<std::string>{}), "en");
  EXPECT_EQ(PennantLocalizer::preferredLanguageFromLanguages(std::vector<std::string>{"es", "en"}), "es");
}

TEST(PennantLocalizerDefaults, TheSharedLocalizerKeepsItsFilesUnderDocuments) {
  testing::testHome();
  auto& shared = PennantLocalizer::sharedLocalizer();
  EXPECT_EQ(&shared, &PennantLocalizer::sharedLocalizer());
  EXPECT_EQ(PennantLocalizer::localizationCacheDirectory(),
            testing::testHome() + "/Documents/pennant/localization_cache/20090402");
  EXPECT_TRUE(FileManager::directoryExistsAtPath(PennantLocalizer::localizationCacheDirectory()));
  EXPECT_EQ(shared.stringsPathForLanguage("en"), PennantLocalizer::localizationCacheDirectory() + "/en.strings");
  EXPECT_FALSE(shared.preferredLanguage().empty());
  EXPECT_TRUE(shared.currentLocale().has_value()) << "registered from the environment";
}

TEST_F(PennantLocalizerTest, DownloadsTheLanguageOnceAndTranslates) {
  auto french = localizer("fr");
  french->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 1);
  EXPECT_EQ(FileManager::contentsAtPath(french->stringsPathForLanguage("fr")), kFrenchStrings);

  french->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 1) << "the file exists: nothing more to fetch";

  EXPECT_EQ(french->localizedStringForKey("Cancel"), "Annuler");
  EXPECT_EQ(french->localizedStringForKey("Call %@?"), "Appeler %@ ?");
  EXPECT_EQ(french->localizedStringForKey("Ok"), "Ok");
  EXPECT_EQ(french->localizedStringForKey("Add"), "Add") << "an empty translation gives the key";
}

TEST_F(PennantLocalizerTest, AServerRefusalLeavesAnEmptyFileAndEndsTheAsking) {
  auto german = localizer("de");
  german->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 1);
  EXPECT_EQ(FileManager::contentsAtPath(german->stringsPathForLanguage("de")), "");
  german->downloadResourcesIfNecessary();
  german->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 1);
  EXPECT_EQ(german->localizedStringForKey("Cancel"), "Cancel");
}

TEST_F(PennantLocalizerTest, OnlyAMissingFileIsFinalAServerErrorIsAskedAgain) {
  auto gone = localizer("gone");
  gone->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(FileManager::contentsAtPath(gone->stringsPathForLanguage("gone")), "");

  auto busy = localizer("busy");
  busy->downloadResourcesIfNecessary();
  settle();
  EXPECT_FALSE(FileManager::fileExistsAtPath(busy->stringsPathForLanguage("busy")));
  busy->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 3) << "a 503 is no answer: the next ad request asks again";
  EXPECT_FALSE(FileManager::fileExistsAtPath(busy->stringsPathForLanguage("busy")));
}

TEST_F(PennantLocalizerTest, ANetworkFailureLeavesNoFileSoTheNextRequestTriesAgain) {
  auto french = localizer("fr");
  PennantAdServer::setStaticMediaHost("http://127.0.0.1:" + std::to_string(testing::closedPort()));
  french->downloadResourcesIfNecessary();
  settle();
  EXPECT_FALSE(FileManager::fileExistsAtPath(french->stringsPathForLanguage("fr")));

  PennantAdServer::setStaticMediaHost(server.url(""));
  french->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 1);
  EXPECT_TRUE(FileManager::fileExistsAtPath(french->stringsPathForLanguage("fr")));
}

TEST_F(PennantLocalizerTest, WhileTheFileIsMissingEveryCallStartsADownload) {
  auto french = localizer("fr");
  french->downloadResourcesIfNecessary();
  french->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 2);
  EXPECT_EQ(FileManager::contentsAtPath(french->stringsPathForLanguage("fr")), kFrenchStrings);
}

TEST_F(PennantLocalizerTest, ALookupBeforeTheFileArrivesKeepsEnglishForTheProcess) {
  auto french = localizer("fr");
  EXPECT_EQ(french->localizedStringForKey("Cancel"), "Cancel");
  french->downloadResourcesIfNecessary();
  settle();
  ASSERT_TRUE(FileManager::fileExistsAtPath(french->stringsPathForLanguage("fr")));
  EXPECT_EQ(french->localizedStringForKey("Cancel"), "Cancel");
  EXPECT_EQ(localizer("fr")->localizedStringForKey("Cancel"), "Annuler") << "the next start reads it";
}

TEST_F(PennantLocalizerTest, AnUnreadableFileMeansEnglish) {
  FileManager::writeContentsAtomically(directory + "/it.strings", "\"Cancel\" = \"Annulla");
  EXPECT_EQ(localizer("it")->localizedStringForKey("Cancel"), "Cancel");
  FileManager::writeContentsAtomically(directory + "/pt.strings", "(\"Cancel\", \"Cancelar\")");
  EXPECT_EQ(localizer("pt")->localizedStringForKey("Cancel"), "Cancel") << "not a dictionary";
}

TEST_F(PennantLocalizerTest, HostileStringsFilesAreRefusedQuicklyAndMeanEnglish) {
  // A table as large as a real one could ever be is read.
  std::string table;
  for (int i = 0; i < 600; ++i) table += "\"Key " + std::to_string(i) + "\" = \"Texte " + std::to_string(i) + "\";\n";
  ASSERT_LT(table.size(), PennantLocalizer::kMaximumStringsFileBytes);
  FileManager::writeContentsAtomically(directory + "/fr.strings", table);
  EXPECT_EQ(localizer("fr")->localizedStringForKey("Key 599"), "Texte 599");

  // Shared objects under the size bound, a shape over it, and plain text
  // over it: each read costs next to nothing and gives the keys back.
  FileManager::writeContentsAtomically(directory + "/de.strings", hostileplists::sharedTrueArray(60000));
  // Just over the size bound: a larger one adds nothing but time to build
  // (the sanitizers' realloc copies at every append).
  FileManager::writeContentsAtomically(directory + "/it.strings", hostileplists::sharedTrueArray(70000));
  ASSERT_GT(FileManager::contentsAtPath(directory + "/it.strings")->size(), PennantLocalizer::kMaximumStringsFileBytes);
  FileManager::writeContentsAtomically(directory + "/es.strings", table + table + table + table + table + table +
                                                                      "\"Cancel\" = \"Cancelar\";\n");
  for (const char* language : {"de", "it", "es"}) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(localizer(language)->localizedStringForKey("Cancel"), "Cancel") << language;
    // Seconds, not milliseconds: the bound only has to tell a bounded read
    // from the minutes an unbounded one took, on a loaded or sanitized build.
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(), 5.0) << language;
  }
}

TEST_F(PennantLocalizerTest, AnOversizedDownloadIsStoppedAndAskedForAgain) {
  auto hostile = localizer("xx");
  hostile->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 1);
  EXPECT_FALSE(FileManager::fileExistsAtPath(hostile->stringsPathForLanguage("xx")));
  hostile->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 2) << "not a final answer: the next ad request asks again";
}

TEST_F(PennantLocalizerTest, AnAnswerThatIsNoStringsFileIsNotKeptAndAskedForAgain) {
  auto mangled = localizer("mangled");
  mangled->downloadResourcesIfNecessary();
  settle();
  EXPECT_FALSE(FileManager::fileExistsAtPath(mangled->stringsPathForLanguage("mangled")));
  mangled->downloadResourcesIfNecessary();
  settle();
  EXPECT_EQ(served, 2);
  EXPECT_EQ(mangled->localizedStringForKey("Cancel"), "Cancel");
}

TEST(PennantLocalizerTable, ReadsEveryPropertyListForm) {
  EXPECT_EQ(PennantLocalizer::stringsTableFromData(kFrenchStrings).at("Cancel"), "Annuler");
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
      "<key>Cancel</key><string>Cancelar</string><key>Count</key><integer>3</integer></dict></plist>";
  auto fromXml = PennantLocalizer::stringsTableFromData(xml);
  EXPECT_EQ(fromXml.size(), 1u) << "only texts are translations";
  EXPECT_EQ(fromXml.at("Cancel"), "Cancelar");
  EXPECT_EQ(PennantLocalizer::stringsTableFromData("{ Cancel = Abbrechen; }").at("Cancel"), "Abbrechen");
  // UTF-16 little-endian with its byte-order mark.
  std::string utf16 = "\xff\xfe";
  for (char c : std::string("\"Ok\" = \"D'accord\";")) utf16 += std::string{c, '\0'};
  EXPECT_EQ(PennantLocalizer::stringsTableFromData(utf16).at("Ok"), "D'accord");
  // A translation is cut to what a short text's place can show.
  const auto longValue = PennantLocalizer::stringsTableFromData("\"Ok\" = \"" + std::string(60000, 'k') + "\";");
  EXPECT_LT(longValue.at("Ok").size(), 2000u);
  EXPECT_EQ(longValue.at("Ok").find_first_not_of('k'), std::string::npos);
  EXPECT_TRUE(PennantLocalizer::stringsTableFromData("").empty());
  EXPECT_TRUE(PennantLocalizer::stringsTableFromData("\x00\x01garbage").empty());
}

}  // namespace
}  // namespace pennant
