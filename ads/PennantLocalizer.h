#pragma once
// Translates the ad library's few user-visible texts. The key of every text
// is its English text, so a lookup that finds nothing still returns usable
// English. For the preferred language, a strings file is downloaded once from
// the static-media host and kept in <Documents>/pennant/localization_cache/
// 20090402/<language>.strings; an empty file there means the server has no
// translations (it answered 404 or 410), so the language is never asked for
// again. Any other failure, a server error included, stores nothing. The
// file is written durably on the background writer (BackgroundFileWriter),
// so that waiting for the disk never holds up an ad that loads meanwhile;
// until it has landed the file counts as missing. The table is read at the
// first lookup and then kept for the life of the process: a file that
// arrives later takes effect at the next start.
//
// A translation table holds a few dozen short texts, so a strings file is
// bounded by what such a table needs: at most kMaximumStringsFileBytes
// (larger downloads are stopped and fail like a network error, larger files
// on disk are not read) and kMaximumStringsFileValues values. Anything
// beyond either bound reads as no translations at all.
//
// `sharedLocalizer` is the singleton, created on first use and never
// destroyed. Other instances (for tests or tools) may be made with their own
// folder and language.

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ads/PennantURLDownload.h"

namespace pennant {

class PennantLocalizer : public std::enable_shared_from_this<PennantLocalizer> {
 public:
  using StringsTable = std::map<std::string, std::string>;

  static constexpr std::size_t kMaximumStringsFileBytes = 64 * 1024;
  static constexpr std::size_t kMaximumStringsFileValues = 4096;

  static PennantLocalizer& sharedLocalizer();
  static std::shared_ptr<PennantLocalizer> localizerWithDirectoryLanguage(std::string directory,
                                                                          std::string language);

  // Class-wide values of the singleton.
  static const std::string& localizationCacheDirectory();
  // The first entry of "AppleLanguages" that is a valid language code
  // (platform::LanguageCode; the others are logged and passed over), else
  // "en".
  static std::string preferredLanguageFromLanguages(const std::optional<std::vector<std::string>>& languages);
  // What the table would hold for a file's bytes: its string-to-string
  // entries when the bytes are a property list within the bounds above
  // whose top level is a dictionary; an empty table for everything else
  // (empty, unparsable or oversized bytes, another top-level type). Each
  // translation is cut to what its place can show
  // (platform::graphics::TextLimit::kStringsTableValue).
  static StringsTable stringsTableFromData(std::string_view bytes);
  // Whether the bytes read as a table at all (a dictionary in any property
  // list form), whatever its values.
  static bool isStringsTable(std::string_view bytes);

  const std::string& preferredLanguage() const { return language_; }
  // "AppleLocale" when it is a string that is a valid locale identifier
  // (such as en_US), else nullopt; an invalid one is logged.
  std::optional<std::string> currentLocale() const;
  std::string stringsPathForLanguage(std::string_view language) const;

  // Starts downloading the preferred language's file unless it exists.
  void downloadResourcesIfNecessary();
  void downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download);
  void downloadDidFail(const std::shared_ptr<PennantURLDownload>& download);

  void loadStrings();
  // The translation when there is a non-empty one, else the key itself.
  std::string localizedStringForKey(const std::string& key);

  PennantLocalizer(const PennantLocalizer&) = delete;
  PennantLocalizer& operator=(const PennantLocalizer&) = delete;

 private:
  struct Passkey {};

 public:
  PennantLocalizer(Passkey, std::string directory, std::string language);

 private:
  void finish(const std::shared_ptr<PennantURLDownload>& download);

  std::string directory_;
  std::string language_;
  std::optional<StringsTable> strings_;
  // The localizer owns each download until its callback.
  std::set<std::shared_ptr<PennantURLDownload>> downloads_;
};

}  // namespace pennant
