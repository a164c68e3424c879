#pragma once
// The memory of one document, organised so that every value is written once,
// straight into the place where it stays.
//
// Why lanes: the children of an array or dictionary must lie side by side,
// but their count is only known at the closing bracket, and a child that is
// itself a container fills in its own children meanwhile. So each nesting
// depth writes into a lane of its own: while a container at depth d is open,
// no other container at depth d is, so its children pile up side by side at
// the top of lane d and closing it commits them where they are. When a
// lane's block runs full, the open run moves once to a block twice the size;
// that is the only copy, and it gets rarer as the lane grows. Lane 0 holds
// loose values and the text of strings that needed unescaping.
//
// How to use it: open a Run<T> on a lane, push() a slot for each item and
// write the item there, then commit(count) to keep the first count items.
// A run that is dropped without commit() leaves the lane as it was. Only one
// run may be open per lane; runs on different lanes do not disturb each
// other, so a slot stays valid while deeper lanes are written.
//
// Ownership: the arena owns its blocks (taken from BlockCache) and values
// point into them, so it must outlive every value; the Document that holds
// it sees to that. reset() rewinds every lane for the next document and
// keeps each lane's current block, so a document of the same shape as the
// last needs no new memory; an arena that grew past kMaximumKeptBytes gives
// everything back instead. Lanes start in small slices of a shared block so
// that a deep but tiny document costs little.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <vector>

namespace json {

class Arena {
 public:
  static constexpr std::size_t kMaximumKeptBytes = std::size_t{16} << 20;
  static constexpr std::size_t kLooseLane = 0;

  explicit Arena(std::pmr::memory_resource* upstream = nullptr);
  ~Arena();
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  void reset();

  template <typename T>
  class Run;

  // One T in the loose lane, for values that stand alone.
  template <typename T>
  T* allocateOne();

  // Bytes obtained from upstream, kept or in use (for tests and tools).
  std::size_t reservedBytes() const { return reservedBytes_; }

 private:
  struct Lane {
    std::byte* base = nullptr;   // start of the current block or slice
    std::byte* top = nullptr;    // end of what is committed
    std::byte* limit = nullptr;  // end of the current block or slice
    bool ownsBlock = false;      // a block of its own rather than a slice
  };
  struct Block {
    std::byte* bytes;
    std::size_t size;
  };

  static constexpr std::size_t kFirstLanes = 16;
  static constexpr std::size_t kLanesPerChunk = 64;
  static constexpr std::size_t kSliceBytes = 512;
  static constexpr std::size_t kSlicesPerBlock = 32;
  static constexpr std::size_t kFirstOwnBlockBytes = 4096;

  Lane& lane(std::size_t index) { return index < kFirstLanes ? firstLanes_[index] : deepLane(index); }
  Lane& deepLane(std::size_t index);
  template <typename Visit>
  void forEachLane(Visit visit);

  // Moves the open run [runStart, runEnd) of the lane to room with at least
  // `more` free bytes after it, aligned for `alignment`, and returns where
  // the run now starts.
  std::byte* moveRun(Lane& lane, std::byte* runStart, std::byte* runEnd, std::size_t more, std::size_t alignment);
  std::byte* obtain(std::size_t bytes);
  void give(Block block);
  void releaseAll();

  std::pmr::memory_resource* upstream_;
  Lane firstLanes_[kFirstLanes];
  std::vector<std::unique_ptr<Lane[]>> deepLanes_;
  std::size_t lanesUsed_ = 0;
  // Blocks carved into slices; each slice belongs to one lane until reset.
  std::vector<Block> sliceBlocks_;
  std::byte* nextSlice_ = nullptr;
  std::byte* slicesEnd_ = nullptr;
  // Blocks that lanes have moved away from; they still hold committed
  // values until the next reset.
  std::vector<Block> retired_;
  std::size_t reservedBytes_ = 0;
};

template <typename T>
class Arena::Run {
 public:
  Run(Arena& arena, std::size_t laneIndex) : arena_(arena), lane_(arena.lane(laneIndex)) {
    if (laneIndex + 1 > arena.lanesUsed_) arena.lanesUsed_ = laneIndex + 1;
    const auto top = reinterpret_cast<std::uintptr_t>(lane_.top);
    first_ = next_ = reinterpret_cast<T*>((top + alignof(T) - 1) & ~(std::uintptr_t{alignof(T)} - 1));
    end_ = lane_.limit > reinterpret_cast<std::byte*>(first_) ? capacityEnd() : first_;
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  // Room for one more item at the end of the run. The slot is valid until
  // the next push() or reserve() on this run.
  T* push() {
    if (next_ == end_) grow(1);
    return next_++;
  }
  // Room for n more items, to be written through end() and taken with
  // advance(n).
  void reserve(std::size_t n) {
    if (static_cast<std::size_t>(end_ - next_) < n) grow(n);
  }
  T* end() const { return next_; }
  void advance(std::size_t n) { next_ += n; }

  T* begin() const { return first_; }
  std::size_t size() const { return static_cast<std::size_t>(next_ - first_); }

  // Keeps the first `count` items in the lane; they stay where they are.
  T* commit(std::size_t count) {
    lane_.top = reinterpret_cast<std::byte*>(first_ + count);
    return first_;
  }

 private:
  T* capacityEnd() const {
    const auto room = static_cast<std::size_t>(lane_.limit - reinterpret_cast<std::byte*>(first_));
    return first_ + room / sizeof(T);
  }
  void grow(std::size_t n) {
    const std::size_t used = size();
    auto* moved = arena_.moveRun(lane_, reinterpret_cast<std::byte*>(first_), reinterpret_cast<std::byte*>(next_),
                                 n * sizeof(T), alignof(T));
    first_ = reinterpret_cast<T*>(moved);
    next_ = first_ + used;
    end_ = capacityEnd();
  }

  Arena& arena_;
  Lane& lane_;
  T* first_;
  T* next_;
  T* end_;
};

template <typename T>
T* Arena::allocateOne() {
  Run<T> run(*this, kLooseLane);
  run.push();
  return run.commit(1);
}

}  // namespace json
