#pragma once
// Puts the process into a German locale, whose decimal separator is a comma,
// the way the desktop front end ends up in one: GTK's start-up calls
// setlocale(LC_ALL, "") and so takes LC_ALL from the environment. The locale
// is built with localedef into a private folder (LOCPATH), so the machine
// needs only the locale sources, not a generated de_DE. Everything is put
// back when the object goes.
//
//   DecimalCommaLocale comma;
//   if (!comma.active()) GTEST_SKIP() << comma.why();

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace testing_support {

class DecimalCommaLocale {
 public:
  DecimalCommaLocale() {
    const auto folder = std::filesystem::temp_directory_path() / "pennant-test-locales";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    const std::string name = "de_DE.UTF-8";
    // Built once per machine (a few seconds); later tests reuse it.
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (folder / name).string() + "' >/dev/null 2>&1";
    if (!std::filesystem::exists(folder / name / "LC_NUMERIC") && std::system(command.c_str()) != 0) {
      why_ = "localedef could not build de_DE";
      return;
    }
    save("LOCPATH", oldLocPath_);
    save("LC_ALL", oldLcAll_);
    changed_ = true;
    ::setenv("LOCPATH", folder.c_str(), 1);
    ::setenv("LC_ALL", name.c_str(), 1);
    // What GTK does at start-up.
    active_ = std::setlocale(LC_ALL, "") != nullptr && *std::localeconv()->decimal_point == ',';
    if (!active_) why_ = "the de_DE locale did not take effect";
  }
  ~DecimalCommaLocale() {
    if (!changed_) return;
    std::setlocale(LC_ALL, "C");
    restore("LOCPATH", oldLocPath_);
    restore("LC_ALL", oldLcAll_);
  }
  DecimalCommaLocale(const DecimalCommaLocale&) = delete;
  DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

  bool active() const { return active_; }
  const std::string& why() const { return why_; }

 private:
  static void save(const char* name, std::optional<std::string>& into) {
    if (const char* value = std::getenv(name)) into = value;
  }
  static void restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }

  bool changed_ = false;
  bool active_ = false;
  std::string why_;
  std::optional<std::string> oldLocPath_, oldLcAll_;
};

}  // namespace testing_support
