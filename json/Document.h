#pragma once
// The storage of one parse: an arena that holds every Value, array and
// dictionary the reader built, and the input buffer, because strings without
// escapes point straight into the input instead of being copied.
//
// Ownership: the JSONScanner creates a Document on its first scan of a
// buffer; every value handed out is a std::shared_ptr<const Value> aliasing
// the Document, so the arena and the input live until the last such pointer
// is dropped. Nothing in the arena is freed on its own; its blocks come from
// and go back to the BlockCache.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

namespace json {

class Document {
 public:
  explicit Document(std::shared_ptr<const std::vector<std::uint8_t>> source);
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  void* allocate(std::size_t bytes, std::size_t alignment) { return arena_.allocate(bytes, alignment); }

  template <typename T>
  T* allocateArray(std::size_t count) {
    return static_cast<T*>(allocate(count * sizeof(T), alignof(T)));
  }

  const std::shared_ptr<const std::vector<std::uint8_t>>& source() const { return source_; }

 private:
  // A small first block inside the object itself, so that a short answer
  // costs one allocation for document and arena together.
  alignas(std::max_align_t) std::byte inlineBlock_[2048];
  std::shared_ptr<const std::vector<std::uint8_t>> source_;
  std::pmr::monotonic_buffer_resource arena_;
};

}  // namespace json
