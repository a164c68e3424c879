#pragma once
// The address book the address-book benchmarks add a business to: 10,000
// entries in a temporary folder (under $TMPDIR) built once per run, 7,000
// person entries written by another program (vCard 3.0), 2,000
// organizations of ours and 1,000 organizations of ours with a 100 KB
// picture; and the 100 KB picture itself.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/addressbook/AddressBook.h"
#include "platform/foundation/AppPaths.h"
#include "tests/platform/addressbook/AddressBookTestSupport.h"

namespace bench {

using namespace platform::addressbook;

inline constexpr int kForeignPeople = 7000;
inline constexpr int kOurOrganizations = 2000;
inline constexpr int kOurOrganizationsWithPicture = 1000;
inline constexpr std::size_t kPictureBytes = 100 * 1024;
inline const std::string kBusiness = "Sunrise Bakery";

inline std::string picture() {
  // A PNG signature and then bytes that do not compress, like a photo's.
  std::string bytes("\x89PNG\r\n\x1a\n", 8);
  unsigned state = 20090402;
  while (bytes.size() < kPictureBytes) {
    state = state * 1103515245u + 12345u;
    bytes += static_cast<char>(state >> 16);
  }
  return bytes;
}

inline std::shared_ptr<Record> business(const std::string& name, const std::string& image) {
  return testing::organization(name, image);
}

class BenchBook {
 public:
  static const BenchBook& shared() {
    static const BenchBook book;
    return book;
  }
  const std::string& folder() const { return folder_; }

 private:
  BenchBook() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/addressbook-bench-XXXXXX";
    if (::mkdtemp(pattern.data())) folder_ = pattern + "/book";
    // The app's caches (where the index of the book goes) live there too.
    platform::AppPaths::setHome(pattern + "/home");
    std::filesystem::create_directories(folder_);
    for (int i = 0; i < kForeignPeople; ++i) {
      std::ofstream(folder_ + "/person-" + std::to_string(i) + ".vcf")
          << "BEGIN:VCARD\r\nVERSION:3.0\r\nPRODID:-//Another Program//EN\r\nUID:person-" << i
          << "\r\nN:Person" << i << ";Alex;;;\r\nFN:Alex Person" << i
          << "\r\nORG:Employer " << i % 300 << "\r\nTEL;TYPE=CELL:+1 555 01" << i
          << "\r\nEMAIL;TYPE=INTERNET:alex" << i << "@example.org\r\nADR;TYPE=HOME:;;" << i
          << " Long Street;Town;;1000" << i % 10 << ";Country\r\nNOTE:Met at the conference in spring\\, "
          << "talked about bread.\r\nEND:VCARD\r\n";
    }
    auto book = AddressBook::createAtPath(folder_);
    const std::string image = picture();
    for (int i = 0; i < kOurOrganizations + kOurOrganizationsWithPicture; ++i) {
      book->addRecord(business("Business " + std::to_string(i), i < kOurOrganizationsWithPicture ? image : ""));
    }
    (void)book->save();
  }
  ~BenchBook() {
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(folder_).parent_path(), error);
  }

  std::string folder_;
};

}  // namespace bench
