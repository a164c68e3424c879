#pragma once
// A fresh folder under the system's temporary directory, removed with
// everything in it when the test ends.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform::testing {

class FoundationTestFolder {
 public:
  FoundationTestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "foundation-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
      path_ = pattern;
    }
  }
  ~FoundationTestFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  FoundationTestFolder(const FoundationTestFolder&) = delete;
  FoundationTestFolder& operator=(const FoundationTestFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace platform::testing
