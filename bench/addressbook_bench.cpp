// What adding a business to the address book costs on a book of 10,000
// entries: the ad library's whole sequence (open the book, list every
// record and read its type, kind and organization name, remove the ones of
// the same name, create an organization with phones, e-mails, two
// addresses, URLs, a note and a 100 KB picture, add it, save).
//
// The book lives in a temporary folder (under $TMPDIR) that is built once
// per run: 7,000 person entries written by another program (vCard 3.0),
// 2,000 organizations of ours and 1,000 organizations of ours with a
// 100 KB picture. The OS file cache is warm after the first pass.
//
//   AddContact/process_cache:1   the book was opened before in this process
//   AddContact/process_cache:0   the first open in a process (every file read)
//   OpenAndList/...              the open and listing alone
//   Save                         creating, adding and saving the entry alone

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/AddressBookBenchSupport.h"

namespace {

using namespace platform::addressbook;
using bench::BenchBook;
using bench::business;
using bench::kBusiness;
using bench::picture;

// The ad library's removal: every organization entry of exactly that name.
void removeBusiness(AddressBook& book, const std::string& name, benchmark::State& state) {
  for (const auto& record : book.copyArrayOfAllPeople()) {
    if (record->recordType() != RecordType::Person) continue;
    const auto kind = record->copyValue(Property::Kind);
    if (!kind.kind() || *kind.kind() != PersonKind::Organization) continue;
    const auto organization = record->copyValue(Property::Organization);
    if (organization.string() && *organization.string() == name && !book.removeRecord(record)) {
      state.SkipWithError("removal refused");
    }
  }
}

void AddContact(benchmark::State& state) {
  const auto& folder = BenchBook::shared().folder();
  const bool keepProcessCache = state.range(0) != 0;
  const std::string image = picture();
  for (auto _ : state) {
    if (!keepProcessCache) AddressBook::discardCachedEntries();
    auto book = AddressBook::createAtPath(folder);
    removeBusiness(*book, kBusiness, state);
    book->addRecord(business(kBusiness, image));
    if (!book->save()) state.SkipWithError("save failed");
  }
  state.counters["entries"] = static_cast<double>(AddressBook::createAtPath(folder)->copyArrayOfAllPeople().size());
}
BENCHMARK(AddContact)->ArgName("process_cache")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void OpenAndList(benchmark::State& state) {
  const auto& folder = BenchBook::shared().folder();
  const bool keepProcessCache = state.range(0) != 0;
  for (auto _ : state) {
    if (!keepProcessCache) AddressBook::discardCachedEntries();
    auto book = AddressBook::createAtPath(folder);
    std::size_t organizations = 0;
    for (const auto& record : book->copyArrayOfAllPeople()) {
      organizations += *record->copyValue(Property::Kind).kind() == PersonKind::Organization &&
                       record->copyValue(Property::Organization).string() != nullptr;
    }
    benchmark::DoNotOptimize(organizations);
  }
}
BENCHMARK(OpenAndList)->ArgName("process_cache")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void Save(benchmark::State& state) {
  const auto& folder = BenchBook::shared().folder();
  const std::string image = picture();
  auto book = AddressBook::createAtPath(folder);
  std::shared_ptr<Record> previous;
  for (auto _ : state) {
    if (previous) book->removeRecord(previous);
    previous = business(kBusiness, image);
    book->addRecord(previous);
    if (!book->save()) state.SkipWithError("save failed");
  }
}
BENCHMARK(Save)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
