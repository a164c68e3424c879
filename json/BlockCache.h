#pragma once
// The upstream of every Document arena: hands out blocks in power-of-two
// sizes and keeps blocks that come back in a small per-thread cache instead
// of returning them to malloc at once.
//
// Why: a large document's arena grows to megabytes; malloc serves such
// blocks with fresh mappings and unmaps them on free, so every parse would
// pay for page faults on memory it just had. With the cache, the next parse
// on the same thread reuses those pages. At most kMaximumCachedBytes per
// thread stay cached; a block may be returned on any thread.

#include <cstddef>
#include <memory_resource>

namespace json {

class BlockCache final : public std::pmr::memory_resource {
 public:
  static constexpr std::size_t kMaximumCachedBytes = std::size_t{64} << 20;
  static constexpr std::size_t kBlockAlignment = 64;

  // The one instance; it is never destroyed, its caches are per thread.
  static BlockCache* shared();

 private:
  void* do_allocate(std::size_t bytes, std::size_t alignment) override;
  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override;
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
};

}  // namespace json
