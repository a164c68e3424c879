#pragma once
// The storage of one parse: the Arena that holds every Value, array,
// dictionary and unescaped string the reader built, and the input buffer,
// because strings without escapes point straight into the input.
//
// Ownership: every value handed out is a std::shared_ptr<const Value> that
// keeps the Document (directly, or through the lease of a reusing
// JSONDeserializer), so the arena and the input live until the last such
// pointer is dropped. A Document that nobody else holds any more may be
// reset() and filled again: its arena keeps its memory for that.

#include <cstdint>
#include <memory>
#include <vector>

#include "json/Arena.h"

namespace json {

class Document {
 public:
  using Source = std::shared_ptr<const std::vector<std::uint8_t>>;

  explicit Document(Source source = nullptr) : source_(std::move(source)) {}
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  Arena& arena() { return arena_; }
  const Source& source() const { return source_; }
  void setSource(Source source) { source_ = std::move(source); }

  // Forgets every value and the input, keeping the arena's memory.
  void reset() {
    arena_.reset();
    source_.reset();
  }

 private:
  Source source_;
  Arena arena_;
};

}  // namespace json
