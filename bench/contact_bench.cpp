// The ad library's whole add of a business to the address book,
// PennantContact::addToAddressBook, on a book of 10,000 entries (see
// AddressBookBenchSupport.h), with a 100 KB picture already in the contact,
// so no download runs: open the book, find and remove the entry of the same
// name (and save), build the organization entry with phones, e-mails, an
// address, a URL, a note and the picture, add it and save.
//
//   AddToAddressBook/process_cache:1   the book was read before in this process
//   AddToAddressBook/process_cache:0   the first add in a process (every file read)
//
//   build/bench/contact_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include "ads/destinations/PennantContact.h"
#include "bench/AddressBookBenchSupport.h"
#include "json/JSONDeserializer.h"

namespace {

const char* kContactObject = R"({
  "organization": "Sunrise Bakery",
  "phonenums": {"work": "+1 555 555 0188", "mobile": "+1 555 555 0199"},
  "emails": {"work": "hello@sunrise-bakery.example"},
  "addresses": {"work": {"Street": "12 Mill Lane", "City": "Springfield", "State": "OR", "ZIP": "97477",
                         "Country": "United States", "CountryCode": "us"}},
  "links": {"homepage": "http://sunrise-bakery.example/"},
  "note": "Open every day from 6 am. Sourdough on Saturdays."
})";

void AddToAddressBook(benchmark::State& state) {
  using platform::addressbook::AddressBook;
  AddressBook::setDefaultDirectory(bench::BenchBook::shared().folder());
  const bool keepProcessCache = state.range(0) != 0;
  auto object = json::JSONDeserializer::deserializer()->deserializeAsDictionaryError(
      json::ByteScanner::dataWithBytes(kContactObject), nullptr);
  auto contact = pennant::PennantContact::initWithDictionary(object.get());
  contact->setImage(bench::picture());
  for (auto _ : state) {
    if (!keepProcessCache) {
      state.PauseTiming();
      AddressBook::discardCachedEntries();
      state.ResumeTiming();
    }
    contact->addToAddressBook();
  }
  state.counters["entries"] = static_cast<double>(AddressBook::create()->copyArrayOfAllPeople().size());
}
BENCHMARK(AddToAddressBook)->ArgName("process_cache")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
