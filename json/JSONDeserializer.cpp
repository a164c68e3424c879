#include "json/JSONDeserializer.h"

#include <atomic>

#include "json/JSONScanner.h"

namespace json {

namespace {

bool reportMissingData(const ByteScanner::Data& data, platform::Error* error) {
  if (data && !data->empty()) return false;
  if (error) *error = platform::Error{std::string(kJSONReaderErrorDomain), -1, ""};
  return true;
}

// What the values of one parse hold: a share of the deserializer's document.
// When the last value is dropped the lease ends, the input is let go, and
// the document is the deserializer's alone again.
struct Lease {
  explicit Lease(std::shared_ptr<Document> document) : document(std::move(document)) {}
  ~Lease() { document->setSource(nullptr); }
  std::shared_ptr<Document> document;
};

}  // namespace

std::shared_ptr<JSONDeserializer> JSONDeserializer::deserializer() { return std::make_shared<JSONDeserializer>(); }

std::shared_ptr<const Value> JSONDeserializer::deserializeAsDictionaryError(const ByteScanner::Data& data,
                                                                            platform::Error* error) {
  return read(data, true, error);
}

std::shared_ptr<const Value> JSONDeserializer::deserializeError(const ByteScanner::Data& data,
                                                                platform::Error* error) {
  return read(data, false, error);
}

Document& JSONDeserializer::documentForNextParse() {
  if (document_ && document_.use_count() == 1) {
    // The last lease may have ended on another thread: see its writes
    // before the memory is used again.
    std::atomic_thread_fence(std::memory_order_acquire);
    document_->reset();
  } else {
    document_ = std::make_shared<Document>();
  }
  return *document_;
}

std::shared_ptr<const Value> JSONDeserializer::read(const ByteScanner::Data& data, bool dictionaryOnly,
                                                    platform::Error* error) {
  if (reportMissingData(data, error)) return nullptr;
  // The scanner lives for this call only, so it needs no shared ownership.
  JSONScanner scanner;
  scanner.setData(data);
  const Value* root = scanner.readRoot(documentForNextParse(), dictionaryOnly, error);
  if (root == nullptr) {
    document_->setSource(nullptr);  // nothing points into the input
    return nullptr;
  }
  return std::shared_ptr<const Value>(std::make_shared<Lease>(document_), root);
}

}  // namespace json
