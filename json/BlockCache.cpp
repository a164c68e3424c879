#include "json/BlockCache.h"

#include <bit>
#include <new>
#include <vector>

namespace json {

namespace {

constexpr int kSmallestClassShift = 12;  // 4 KB
constexpr int kClassCount = 40;
constexpr std::size_t kBlocksPerClass = 8;

int classOf(std::size_t bytes) {
  const std::size_t rounded = std::bit_ceil(bytes < (std::size_t{1} << kSmallestClassShift)
                                                ? std::size_t{1} << kSmallestClassShift
                                                : bytes);
  return std::countr_zero(rounded) - kSmallestClassShift;
}

std::size_t sizeOfClass(int sizeClass) { return std::size_t{1} << (sizeClass + kSmallestClassShift); }

void release(void* block) { ::operator delete(block, std::align_val_t{BlockCache::kBlockAlignment}); }

// Set once the thread's cache is destroyed: an arena that dies later in
// the thread's (or program's) shutdown then talks to malloc directly. A
// plain bool needs no destructor, so it can be read at any time.
thread_local bool threadCacheGone = false;

struct ThreadCache {
  std::vector<void*> blocks[kClassCount];
  std::size_t cachedBytes = 0;

  ~ThreadCache() {
    for (auto& list : blocks) {
      for (void* block : list) release(block);
    }
    threadCacheGone = true;
  }
};

ThreadCache* threadCache() {
  if (threadCacheGone) return nullptr;
  thread_local ThreadCache cache;
  return &cache;
}

}  // namespace

BlockCache* BlockCache::shared() {
  static auto* cache = new BlockCache();
  return cache;
}

void* BlockCache::do_allocate(std::size_t bytes, std::size_t alignment) {
  if (alignment > kBlockAlignment) throw std::bad_alloc();
  const int sizeClass = classOf(bytes);
  if (sizeClass >= kClassCount) throw std::bad_alloc();
  if (ThreadCache* cache = threadCache(); cache && !cache->blocks[sizeClass].empty()) {
    auto& list = cache->blocks[sizeClass];
    void* block = list.back();
    list.pop_back();
    cache->cachedBytes -= sizeOfClass(sizeClass);
    return block;
  }
  return ::operator new(sizeOfClass(sizeClass), std::align_val_t{kBlockAlignment});
}

void BlockCache::do_deallocate(void* block, std::size_t bytes, std::size_t) {
  const int sizeClass = classOf(bytes);
  const std::size_t size = sizeOfClass(sizeClass);
  ThreadCache* cache = threadCache();
  if (cache && cache->blocks[sizeClass].size() < kBlocksPerClass && cache->cachedBytes + size <= kMaximumCachedBytes) {
    cache->blocks[sizeClass].push_back(block);
    cache->cachedBytes += size;
    return;
  }
  release(block);
}

}  // namespace json
