#include "ads/PennantLocalizer.h"

#include "ads/PennantAdServer.h"
#include "ads/PennantVersion.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/PercentEscapes.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

namespace pennant {

using platform::FileManager;

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
  if (languages && !languages->empty()) return languages->front();
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
  return platform::UserDefaults::standardUserDefaults().stringForKey("AppleLocale");
}

std::string PennantLocalizer::stringsPathForLanguage(std::string_view language) const {
  return directory_ + "/" + std::string(language) + ".strings";
}

void PennantLocalizer::downloadResourcesIfNecessary() {
  // 1. Translations (or the server's "none") are already on disk.
  if (FileManager::fileExistsAtPath(stringsPathForLanguage(language_))) return;

  // 2. While the file is missing every call starts a download, even when
  // one is already running; the file is written atomically either way.
  auto escaped = platform::PercentEscapes::addingPercentEscapes(language_, platform::StringEncoding::ASCII);
  auto download = PennantURLDownload::create();
  download->setDelegate(weak_from_this());
  download->setSuccessSelector(PennantURLDownload::selector(weak_from_this(), &PennantLocalizer::downloadDidSucceed));
  download->setFailureSelector(PennantURLDownload::selector(weak_from_this(), &PennantLocalizer::downloadDidFail));
  download->setIdentifier(language_);
  downloads_.insert(download);
  download->loadContentsOfURLAtString(escaped ? std::optional(PennantAdServer::localizedStringsURL(*escaped))
                                              : std::nullopt);
}

void PennantLocalizer::downloadDidSucceed(const std::shared_ptr<PennantURLDownload>& download) {
  // The language is our own identifier, never a name from the server.
  auto data = download->data();
  std::string_view bytes = data ? std::string_view(reinterpret_cast<const char*>(data->data()), data->size())
                                : std::string_view();
  FileManager::writeContentsAtomically(stringsPathForLanguage(download->identifier().value_or(language_)), bytes);
  finish(download);
}

void PennantLocalizer::downloadDidFail(const std::shared_ptr<PennantURLDownload>& download) {
  // Only the server's own "no" is final; a network failure tries again with
  // the next ad request.
  if (download->error() && download->error()->code == PennantURLDownload::kErrorHTTPStatus) {
    FileManager::writeContentsAtomically(stringsPathForLanguage(download->identifier().value_or(language_)), "");
  }
  finish(download);
}

void PennantLocalizer::finish(const std::shared_ptr<PennantURLDownload>& download) {
  download->cancel();
  downloads_.erase(download);
}

PennantLocalizer::StringsTable PennantLocalizer::stringsTableFromData(std::string_view bytes) {
  StringsTable table;
  auto list = platform::PropertyList::propertyListFromData(bytes);
  if (!list) return table;
  const auto* dictionary = list->asDictionary();
  if (!dictionary) return table;
  for (const auto& [key, value] : *dictionary) {
    if (const auto* text = value.asString()) table.emplace(key, *text);
  }
  return table;
}

void PennantLocalizer::loadStrings() {
  if (strings_) return;
  auto bytes = FileManager::contentsAtPath(stringsPathForLanguage(language_));
  strings_ = bytes ? stringsTableFromData(*bytes) : StringsTable{};
}

std::string PennantLocalizer::localizedStringForKey(const std::string& key) {
  loadStrings();
  auto found = strings_->find(key);
  if (found != strings_->end() && !found->second.empty()) return found->second;
  return key;
}

}  // namespace pennant
