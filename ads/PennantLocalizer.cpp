#include "ads/PennantLocalizer.h"

#include "ads/PennantAdServer.h"
#include "ads/PennantVersion.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/BackgroundFileWriter.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/LanguageCode.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/TextLimit.h"

namespace pennant {

using platform::FileManager;

namespace {

constexpr int kHTTPNotFound = 404;
constexpr int kHTTPGone = 410;

}  // namespace

const std::string& PennantLocalizer::localizationCacheDirectory() {
  static const std::string directory = [] {
    std::string path = platform::AppPaths::documentsDirectory() + "/pennant/localization_cache/" + kPennantVersion;
    FileManager::createDirectoryAtPath(path);  // a failure only means English texts
    return path;
  }();
  return directory;
}

std::string PennantLocalizer::preferredLanguageFromLanguages(
    const std::optional<std::vector<std::string>>& languages) {
  // The code names a file and a request path: one that is not a language
  // code is passed over (and logged), and the next one counts.
  for (const auto& language : languages.value_or(std::vector<std::string>{})) {
    if (auto valid = platform::LanguageCode::validated(language, "AppleLanguages")) return *valid;
  }
  return "en";
}

PennantLocalizer& PennantLocalizer::sharedLocalizer() {
  static auto* instance = new std::shared_ptr<PennantLocalizer>(localizerWithDirectoryLanguage(
      localizationCacheDirectory(),
      preferredLanguageFromLanguages(
          platform::UserDefaults::standardUserDefaults().stringArrayForKey("AppleLanguages"))));
  return **instance;
}

std::shared_ptr<PennantLocalizer> PennantLocalizer::localizerWithDirectoryLanguage(std::string directory,
                                                                                   std::string language) {
  return std::make_shared<PennantLocalizer>(Passkey{}, std::move(directory), std::move(language));
}

PennantLocalizer::PennantLocalizer(Passkey, std::string directory, std::string language)
    : directory_(std::move(directory)), language_(std::move(language)) {}

std::optional<std::string> PennantLocalizer::currentLocale() const {
  auto locale = platform::UserDefaults::standardUserDefaults().stringForKey("AppleLocale");
  return locale ? platform::LanguageCode::validated(*locale, "AppleLocale") : std::nullopt;
}

std::string PennantLocalizer::stringsPathForLanguage(std::string_view language) const {
  return directory_ + "/" + std::string(language) + ".strings";
}

void PennantLocalizer::downloadResourcesIfNecessary() {
  // Only the shared localizer's language is checked when read; one given
  // to another instance is checked here, before it names a file.
  if (!platform::LanguageCode::isValid(language_)) return;

  // Translations (or the server's "none") are already on disk.
  if (FileManager::fileExistsAtPath(stringsPathForLanguage(language_))) return;

  // While the file is missing every call starts a download, even when
  // one is already running; the file is written atomically either way.
  auto escaped = platform::PercentEscapes::addingPercentEscapes(language_, platform::StringEncoding::ASCII);
  auto download = PennantURLDownload::create();
  download->setDelegate(weak_from_this());
  download->setSuccessSelector(PennantURLDownload::selector(weak_from_this(), &PennantLocalizer::downloadDidSucceed));
  download->setFailureSelector(PennantURLDownload::selector(weak_from_this(), &PennantLocalizer::downloadDidFail));
  download->setIdentifier(language_);
  download->setMaximumBodyLength(kMaximumStringsFileBytes);
  downloads_.insert(download);
  download->loadContentsOfURLAtString(escaped ? std::optional(PennantAdServer::localizedStringsURL(*escaped))
                                              : std::nullopt);
}

void PennantLocalizer::downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download) {
  // The language is our own identifier, never a name from the server.
  auto data = download->data();
  std::string_view bytes = data ? std::string_view(reinterpret_cast<const char*>(data->data()), data->size())
                                : std::string_view();
  // The file is kept for good, so only a table (or the empty file that says
  // there is none) is worth keeping: bytes mangled on the way would mean
  // English for every later run, when asking again at the next ad may well
  // bring the real file. Written durably, without holding up the ads loading
  // meanwhile.
  if (bytes.empty() || isStringsTable(bytes)) {
    platform::BackgroundFileWriter::writeContentsAtomically(
        stringsPathForLanguage(download->identifier().value_or(language_)), std::string(bytes), nullptr);
  }
  finish(download);
}

void PennantLocalizer::downloadDidFail(const std::shared_ptr<PennantURLDownload>& download) {
  // Only the server's word that there is no such file is final: a server
  // error or a network failure writes nothing, so the next ad request (or
  // the next launch) asks again.
  const bool noSuchFile = download->error() && download->error()->code == PennantURLDownload::kErrorHTTPStatus &&
                          (download->httpStatusCode() == kHTTPNotFound || download->httpStatusCode() == kHTTPGone);
  if (noSuchFile) {
    platform::BackgroundFileWriter::writeContentsAtomically(
        stringsPathForLanguage(download->identifier().value_or(language_)), "", nullptr);
  }
  finish(download);
}

void PennantLocalizer::finish(const std::shared_ptr<PennantURLDownload>& download) {
  download->cancel();
  downloads_.erase(download);
}

bool PennantLocalizer::isStringsTable(std::string_view bytes) {
  const platform::PropertyListLimits limits{kMaximumStringsFileBytes, kMaximumStringsFileValues};
  auto list = platform::PropertyList::propertyListFromData(bytes, nullptr, limits);
  return list && list->asDictionary();
}

PennantLocalizer::StringsTable PennantLocalizer::stringsTableFromData(std::string_view bytes) {
  StringsTable table;
  const platform::PropertyListLimits limits{kMaximumStringsFileBytes, kMaximumStringsFileValues};
  auto list = platform::PropertyList::propertyListFromData(bytes, nullptr, limits);
  if (!list) return table;
  const auto* dictionary = list->asDictionary();
  if (!dictionary) return table;
  // A translation is shown where its English text would be: it is kept to
  // what such a place can show.
  for (const auto& [key, value] : *dictionary) {
    if (const auto* text = value.asString()) {
      table.emplace(key, platform::graphics::TextLimit::kStringsTableValue.apply(*text));
    }
  }
  return table;
}

void PennantLocalizer::loadStrings() {
  if (strings_) return;
  auto bytes = FileManager::contentsAtPath(stringsPathForLanguage(language_), kMaximumStringsFileBytes);
  strings_ = bytes ? stringsTableFromData(*bytes) : StringsTable{};
}

std::string PennantLocalizer::localizedStringForKey(const std::string& key) {
  loadStrings();
  auto found = strings_->find(key);
  if (found != strings_->end() && !found->second.empty()) return found->second;
  return key;
}

}  // namespace pennant
