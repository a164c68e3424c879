#include "platform/foundation/UserDefaults.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <strings.h>

#include "platform/foundation/AppIdentity.h"
#include "platform/foundation/AppPaths.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/LanguageCode.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"

namespace platform {

namespace {

// "es_ES.UTF-8@euro" -> "es_ES"; nullopt for C, POSIX and anything that is
// not letters with at most one underscore (the locale ends up in the user
// agent header, so nothing odd may pass). A value that is neither a locale
// nor C or POSIX is logged as ignored.
std::optional<std::string> cleanLocaleName(std::string_view value, const char* source) {
  const std::string_view name = value.substr(0, value.find_first_of(".@"));
  if (name.empty() || name == "C" || name == "POSIX") {
    return std::nullopt;
  }
  int underscores = 0;
  bool letters = true;
  for (const char c : name) {
    if (c == '_') {
      ++underscores;
    } else {
      letters = letters && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
    }
  }
  if (!letters || underscores > 1 || name.front() == '_' || name.back() == '_' ||
      !LanguageCode::isValid(name)) {
    LanguageCode::logIgnored(value, source);
    return std::nullopt;
  }
  return std::string(name);
}

std::string languageOf(const std::string& locale) { return locale.substr(0, locale.find('_')); }

bool readsAsTrue(const std::string& text) {
  if (strcasecmp(text.c_str(), "yes") == 0 || strcasecmp(text.c_str(), "true") == 0) {
    return true;
  }
  // A number reads as true unless it is zero. Read with a point whatever the
  // C locale says, so a stored "0.5" means the same under every locale.
  std::string_view number = text;
  while (!number.empty() && std::string_view(" \t\n\v\f\r").find(number.front()) != std::string_view::npos) {
    number.remove_prefix(1);
  }
  if (!number.empty() && number.front() == '+') number.remove_prefix(1);
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  return result.ptr != number.data() && value != 0.0;
}

}  // namespace

UserDefaults& UserDefaults::standardUserDefaults() {
  static UserDefaults* defaults =
      new UserDefaults(AppPaths::preferencesDirectory() + "/" + AppIdentity::current().fileName + ".plist");
  return *defaults;
}

UserDefaults::UserDefaults(std::string filePath) : filePath_(std::move(filePath)) {
  const auto locale = localeDefaultsFromEnvironment(std::getenv("LANGUAGE"), std::getenv("LC_ALL"),
                                                    std::getenv("LANG"));
  registered_.insert_or_assign("AppleLanguages", PropertyListValue::stringArray(locale.languages));
  registered_.insert_or_assign("AppleLocale", PropertyListValue(locale.locale));

  if (!FileManager::fileExistsAtPath(filePath_)) {
    return;
  }
  const auto contents = FileManager::contentsAtPath(filePath_);
  const auto value = contents ? PropertyList::propertyListFromData(*contents) : std::nullopt;
  if (value && value->asDictionary() != nullptr) {
    stored_ = *value->asDictionary();
    return;
  }
  // Also a file that is there but cannot be read: the next write would
  // replace it.
  setAsideUnreadableFile();
}

void UserDefaults::setAsideUnreadableFile() {
  std::string aside = filePath_ + ".unreadable";
  for (int n = 2; FileManager::fileExistsAtPath(aside); ++n) {
    aside = filePath_ + ".unreadable-" + std::to_string(n);
  }
  std::error_code error;
  std::filesystem::rename(filePath_, aside, error);
  if (error) {
    log("The preferences file " + filePath_ + " cannot be read and cannot be set aside (" + error.message() +
        "); the preferences start empty");
  } else {
    log("The preferences file " + filePath_ + " cannot be read; it was set aside as " + aside +
        " and the preferences start empty");
  }
}

const PropertyListValue* UserDefaults::lookUp(const std::string& key) const {
  for (const auto* domain : {&overrides_, &stored_, &registered_}) {
    if (const auto found = domain->find(key); found != domain->end()) {
      return &found->second;
    }
  }
  return nullptr;
}

std::optional<PropertyListValue> UserDefaults::objectForKey(const std::string& key) const {
  std::lock_guard lock(mutex_);
  if (const auto* value = lookUp(key)) {
    return *value;
  }
  return std::nullopt;
}

bool UserDefaults::boolForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (!value) {
    return false;
  }
  if (const auto flag = value->asBoolean()) {
    return *flag;
  }
  if (const auto number = value->asReal()) {
    return *number != 0.0;
  }
  if (const auto* text = value->asString()) {
    return readsAsTrue(*text);
  }
  return false;
}

std::int64_t UserDefaults::integerForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (!value) {
    return 0;
  }
  if (const auto integer = value->asInteger()) {
    return *integer;
  }
  if (const auto real = value->asReal(); real && *real > -9.2e18 && *real < 9.2e18) {
    return static_cast<std::int64_t>(*real);
  }
  return 0;
}

double UserDefaults::doubleForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  return value ? value->asReal().value_or(0.0) : 0.0;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (value && value->asString() != nullptr) {
    return *value->asString();
  }
  return std::nullopt;
}

std::optional<PropertyListValue::Array> UserDefaults::arrayForKey(const std::string& key) const {
  const auto value = objectForKey(key);
  if (value && value->asArray() != nullptr) {
    return *value->asArray();
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> UserDefaults::stringArrayForKey(
    const std::string& key) const {
  const auto value = objectForKey(key);
  return value ? value->asStringArray() : std::nullopt;
}

void UserDefaults::setObjectForKey(const PropertyListValue& value, const std::string& key) {
  std::vector<Change> saved;
  {
    std::lock_guard lock(mutex_);
    saved = storeLocked(key, value);
  }
  notify(saved);
}

void UserDefaults::setBoolForKey(bool value, const std::string& key) {
  setObjectForKey(PropertyListValue(value), key);
}

void UserDefaults::setIntegerForKey(std::int64_t value, const std::string& key) {
  setObjectForKey(PropertyListValue(value), key);
}

void UserDefaults::setDoubleForKey(double value, const std::string& key) {
  setObjectForKey(PropertyListValue(value), key);
}

void UserDefaults::removeObjectForKey(const std::string& key) {
  std::vector<Change> saved;
  {
    std::lock_guard lock(mutex_);
    if (stored_.find(key) == stored_.end()) {
      return;
    }
    saved = storeLocked(key, std::nullopt);
  }
  notify(saved);
}

bool UserDefaults::synchronize() {
  std::vector<Change> saved;
  bool complete = true;
  {
    std::lock_guard lock(mutex_);
    if (dirty_) {
      saved = writeLocked();
      complete = !dirty_;
    }
  }
  notify(saved);
  return complete;
}

void UserDefaults::registerDefaults(const PropertyListValue::Dictionary& defaults) {
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : defaults) {
    registered_.insert_or_assign(key, value);
  }
}

void UserDefaults::setOverride(const std::string& key, std::optional<PropertyListValue> value) {
  std::lock_guard lock(mutex_);
  if (value) {
    overrides_.insert_or_assign(key, std::move(*value));
  } else {
    overrides_.erase(key);
  }
}

void UserDefaults::setWriteObserver(WriteObserver observer) {
  std::lock_guard lock(mutex_);
  writeObserver_ = std::move(observer);
}

std::vector<UserDefaults::Change> UserDefaults::storeLocked(const std::string& key,
                                                            std::optional<PropertyListValue> value) {
  if (value) {
    stored_.insert_or_assign(key, std::move(*value));
  } else {
    stored_.erase(key);
  }
  unsaved_.insert(key);
  dirty_ = true;
  return writeLocked();
}

std::vector<UserDefaults::Change> UserDefaults::writeLocked() {
  std::vector<std::string> skipped;
  const auto xml = PropertyList::xmlDataFromDictionarySkippingUnwritable(stored_, skipped);
  const auto folder = std::filesystem::path(filePath_).parent_path().string();
  if (!xml || (!folder.empty() && !FileManager::createDirectoryAtPath(folder)) ||
      !FileManager::writeContentsAtomically(filePath_, *xml)) {
    return {};
  }
  const std::set<std::string> unwritable(skipped.begin(), skipped.end());
  for (const auto& key : unwritable) {
    if (reportedUnwritable_.insert(key).second) {
      log("Cannot store the preference \"" + key + "\" in " + filePath_ +
          ": its value cannot be written there; it is kept until the app ends");
    }
  }
  std::erase_if(reportedUnwritable_, [&](const std::string& key) { return unwritable.count(key) == 0; });

  std::vector<Change> saved;
  for (auto key = unsaved_.begin(); key != unsaved_.end();) {
    if (unwritable.count(*key) != 0) {
      ++key;
      continue;
    }
    const auto found = stored_.find(*key);
    saved.push_back({*key, found != stored_.end() ? std::optional(found->second) : std::nullopt});
    key = unsaved_.erase(key);
  }
  dirty_ = !unwritable.empty();
  return saved;
}

void UserDefaults::notify(const std::vector<Change>& changes) {
  if (changes.empty()) {
    return;
  }
  WriteObserver observer;
  {
    std::lock_guard lock(mutex_);
    observer = writeObserver_;
  }
  // Called without the lock, so the observer may read the defaults.
  if (observer) {
    for (const auto& change : changes) {
      observer(change.key, change.value);
    }
  }
}

UserDefaults::LocaleDefaults UserDefaults::localeDefaultsFromEnvironment(const char* language,
                                                                         const char* lcAll,
                                                                         const char* lang) {
  LocaleDefaults result;
  std::optional<std::string> locale;
  for (const auto& [candidate, source] : {std::pair{lcAll, "LC_ALL"}, std::pair{lang, "LANG"}}) {
    if (candidate != nullptr && candidate[0] != '\0') {
      // The first one set decides, even when it is C.
      locale = cleanLocaleName(candidate, source);
      break;
    }
  }
  result.locale = locale.value_or("en_US");

  if (language != nullptr) {
    std::string_view list(language);
    while (!list.empty()) {
      const std::size_t colon = list.find(':');
      if (const auto entry = cleanLocaleName(list.substr(0, colon), "LANGUAGE")) {
        const std::string code = languageOf(*entry);
        bool seen = false;
        for (const auto& existing : result.languages) {
          seen = seen || existing == code;
        }
        if (!seen) {
          result.languages.push_back(code);
        }
      }
      list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
    }
  }
  if (result.languages.empty()) {
    result.languages.push_back(locale ? languageOf(*locale) : "en");
  }
  return result;
}

}  // namespace platform
