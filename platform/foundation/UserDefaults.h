#pragma once
// The user's preferences: a dictionary of typed values kept in a property
// list file, <home>/Library/Preferences/<file name>.plist for the app (the
// file name of its AppIdentity).
//
// A value is looked up, in order, in the overrides (set by the front end
// from flags such as --language; never saved), the stored values (saved),
// and the registered defaults (never saved). "AppleLanguages" (array of
// language codes) and "AppleLocale" (such as "es_ES") are registered from
// the environment (LANGUAGE, LC_ALL, LANG) when the object is made.
//
// Every change is written to disk at once, atomically, so nothing is lost
// when the process is ended without notice (the app has no orderly stop).
// A write stores every value the file can hold; a value it cannot hold (a
// NaN, a string with a NUL, a date beyond what the file expresses) stays in
// memory only and is named once in the log, and never keeps the others from
// being saved. A write that fails is retried by the next change or by
// `synchronize`. The write observer is told about a change once the file
// holds it (so a change that could not be saved is never reported as
// saved); the app journals these.

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/PropertyListValue.h"

namespace platform {

class UserDefaults {
 public:
  // Called once the file holds a changed value; the value is nullopt for a
  // removal.
  using WriteObserver =
      std::function<void(const std::string& key, const std::optional<PropertyListValue>& value)>;

  struct LocaleDefaults {
    std::vector<std::string> languages;  // "AppleLanguages"
    std::string locale;                  // "AppleLocale"
  };

  // The app's preferences, read from AppPaths on first use (set the home
  // before that).
  static UserDefaults& standardUserDefaults();

  // Preferences kept in the given file; its folder is created on the first
  // write. A file that cannot be read as a dictionary is moved aside to
  // "<file>.unreadable" (or "<file>.unreadable-2" and so on, never over an
  // earlier one), the log names where it went so the user can recover it,
  // and the preferences start empty.
  explicit UserDefaults(std::string filePath);

  std::optional<PropertyListValue> objectForKey(const std::string& key) const;
  // False when absent. Numbers count as true when not zero; strings when
  // they read "YES", "true" or a non-zero number (the platform's reading).
  bool boolForKey(const std::string& key) const;
  // 0 when absent or not a number (reals are truncated).
  std::int64_t integerForKey(const std::string& key) const;
  double doubleForKey(const std::string& key) const;
  // Only string values; nullopt otherwise.
  std::optional<std::string> stringForKey(const std::string& key) const;
  std::optional<PropertyListValue::Array> arrayForKey(const std::string& key) const;
  // Only arrays made entirely of strings.
  std::optional<std::vector<std::string>> stringArrayForKey(const std::string& key) const;

  void setObjectForKey(const PropertyListValue& value, const std::string& key);
  void setBoolForKey(bool value, const std::string& key);
  void setIntegerForKey(std::int64_t value, const std::string& key);
  void setDoubleForKey(double value, const std::string& key);
  void removeObjectForKey(const std::string& key);
  // Writes the stored values if an earlier write failed or left some out;
  // true when the file holds them all.
  bool synchronize();

  void registerDefaults(const PropertyListValue::Dictionary& defaults);
  // Sets (or with nullopt clears) an override: it wins over stored values
  // and is never saved.
  void setOverride(const std::string& key, std::optional<PropertyListValue> value);
  void setWriteObserver(WriteObserver observer);

  const std::string& filePath() const { return filePath_; }

  // Languages and locale for the given environment values (each may be
  // null): LANGUAGE=fr:en gives ["fr", "en"]; otherwise the language of
  // LC_ALL or LANG (es_ES.UTF-8 gives ["es"]); locale from LC_ALL or LANG
  // without codeset or modifier ("es_ES"). Unset, empty, C, POSIX or
  // malformed values give ["en"] and "en_US".
  static LocaleDefaults localeDefaultsFromEnvironment(const char* language, const char* lcAll,
                                                      const char* lang);

 private:
  struct Change {
    std::string key;
    std::optional<PropertyListValue> value;
  };

  const PropertyListValue* lookUp(const std::string& key) const;
  void setAsideUnreadableFile();
  std::vector<Change> storeLocked(const std::string& key, std::optional<PropertyListValue> value);
  // Writes every value the file can hold. Returns the changes the file now
  // holds that the observer has not been told of.
  std::vector<Change> writeLocked();
  void notify(const std::vector<Change>& changes);

  mutable std::mutex mutex_;
  std::string filePath_;
  PropertyListValue::Dictionary stored_;
  PropertyListValue::Dictionary registered_;
  PropertyListValue::Dictionary overrides_;
  bool dirty_ = false;
  // Keys changed since the file last held them.
  std::set<std::string> unsaved_;
  // Keys whose value the file cannot hold, already named in the log.
  std::set<std::string> reportedUnwritable_;
  WriteObserver writeObserver_;
};

}  // namespace platform
