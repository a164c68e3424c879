#include "json/Arena.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "json/BlockCache.h"

namespace json {

namespace {

std::byte* alignUp(std::byte* p, std::size_t alignment) {
  const auto address = reinterpret_cast<std::uintptr_t>(p);
  return reinterpret_cast<std::byte*>((address + alignment - 1) & ~(std::uintptr_t{alignment} - 1));
}

}  // namespace

Arena::Arena(std::pmr::memory_resource* upstream) : upstream_(upstream ? upstream : BlockCache::shared()) {}

Arena::~Arena() { releaseAll(); }

Arena::Lane& Arena::deepLane(std::size_t index) {
  const std::size_t chunk = (index - kFirstLanes) / kLanesPerChunk;
  while (deepLanes_.size() <= chunk) deepLanes_.push_back(std::make_unique<Lane[]>(kLanesPerChunk));
  return deepLanes_[chunk][(index - kFirstLanes) % kLanesPerChunk];
}

template <typename Visit>
void Arena::forEachLane(Visit visit) {
  for (std::size_t i = 0; i < lanesUsed_; ++i) visit(lane(i));
}

std::byte* Arena::obtain(std::size_t bytes) {
  auto* block = static_cast<std::byte*>(upstream_->allocate(bytes, BlockCache::kBlockAlignment));
  reservedBytes_ += bytes;
  return block;
}

void Arena::give(Block block) {
  upstream_->deallocate(block.bytes, block.size, BlockCache::kBlockAlignment);
  reservedBytes_ -= block.size;
}

std::byte* Arena::moveRun(Lane& lane, std::byte* runStart, std::byte* runEnd, std::size_t more,
                          std::size_t alignment) {
  const auto used = static_cast<std::size_t>(runEnd - runStart);
  const std::size_t needed = used + more + alignment;
  std::byte* base;
  std::size_t size;
  const bool slice = lane.base == nullptr && needed <= kSliceBytes;
  if (slice) {
    if (nextSlice_ == slicesEnd_) {
      const std::size_t bytes = kSliceBytes * kSlicesPerBlock;
      nextSlice_ = obtain(bytes);
      slicesEnd_ = nextSlice_ + bytes;
      sliceBlocks_.push_back({nextSlice_, bytes});
    }
    base = nextSlice_;
    nextSlice_ += kSliceBytes;
    size = kSliceBytes;
  } else {
    const auto current = static_cast<std::size_t>(lane.limit - lane.base);
    size = std::bit_ceil(std::max({kFirstOwnBlockBytes, 2 * current, needed}));
    base = obtain(size);
  }
  std::byte* const moved = alignUp(base, alignment);
  if (used > 0) std::memcpy(moved, runStart, used);
  if (lane.ownsBlock) {
    const Block old{lane.base, static_cast<std::size_t>(lane.limit - lane.base)};
    // Nothing committed in the old block: nobody points into it.
    if (lane.top == lane.base) {
      give(old);
    } else {
      retired_.push_back(old);
    }
  }
  lane.base = lane.top = base;
  lane.limit = base + size;
  lane.ownsBlock = !slice;
  return moved;
}

void Arena::reset() {
  for (const Block& block : retired_) give(block);
  retired_.clear();
  if (reservedBytes_ > kMaximumKeptBytes) {
    releaseAll();
    return;
  }
  forEachLane([](Lane& lane) { lane.top = lane.base; });
}

void Arena::releaseAll() {
  forEachLane([this](Lane& lane) {
    if (lane.ownsBlock) give({lane.base, static_cast<std::size_t>(lane.limit - lane.base)});
    lane = Lane{};
  });
  lanesUsed_ = 0;
  for (const Block& block : retired_) give(block);
  retired_.clear();
  for (const Block& block : sliceBlocks_) give(block);
  sliceBlocks_.clear();
  nextSlice_ = slicesEnd_ = nullptr;
}

}  // namespace json
